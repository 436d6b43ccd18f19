// One program's resources as the window layer and the desktop take them: the icon group with its
// two 16-colour images, the theme icons drawn from the same pictures, the version record in the
// executable and the desktop entry that starts it. Built once per program (PROGRAM_NAME,
// PROGRAM_RESOURCES_DIR).

#include <gtest/gtest.h>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QSet>
#include <QString>

#include <map>
#include <vector>

#include "platform/ui/version_record.h"

namespace {

const QString kFolder = QStringLiteral(PROGRAM_RESOURCES_DIR);

// The standard 16-colour palette: the only colours a 16-colour icon can show.
const QSet<QRgb> kPalette = {
    qRgb(0x00, 0x00, 0x00), qRgb(0x80, 0x00, 0x00), qRgb(0x00, 0x80, 0x00), qRgb(0x80, 0x80, 0x00),
    qRgb(0x00, 0x00, 0x80), qRgb(0x80, 0x00, 0x80), qRgb(0x00, 0x80, 0x80), qRgb(0xC0, 0xC0, 0xC0),
    qRgb(0x80, 0x80, 0x80), qRgb(0xFF, 0x00, 0x00), qRgb(0x00, 0xFF, 0x00), qRgb(0xFF, 0xFF, 0x00),
    qRgb(0x00, 0x00, 0xFF), qRgb(0xFF, 0x00, 0xFF), qRgb(0x00, 0xFF, 0xFF), qRgb(0xFF, 0xFF, 0xFF),
};

std::vector<QImage> ReadAll(const QString& path) {
    QImageReader reader(path);
    std::vector<QImage> images;
    for (int i = 0; i < reader.imageCount() && reader.jumpToImage(i); ++i) {
        images.push_back(reader.read());
    }
    return images;
}

TEST(ProgramResources, IconGroupHoldsA32AndA16ImageInSixteenColours) {
    // The file as drawn, and the copy the layer loads from the program's compiled resources.
    for (const QString& path : {kFolder + "/app.ico", QStringLiteral(":/icons/128.ico")}) {
        SCOPED_TRACE(path.toStdString());
        ASSERT_TRUE(QFile::exists(path));
        const std::vector<QImage> images = ReadAll(path);
        ASSERT_EQ(images.size(), 2u);
        EXPECT_EQ(images[0].size(), QSize(32, 32));
        EXPECT_EQ(images[1].size(), QSize(16, 16));
        for (const QImage& image : images) {
            SCOPED_TRACE(image.width());
            int opaque = 0;
            int other = 0;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    const QRgb pixel = image.pixel(x, y);
                    if (qAlpha(pixel) == 0) {
                        continue;
                    }
                    ++opaque;
                    other += qAlpha(pixel) == 255 && kPalette.contains(pixel | 0xFF000000) ? 0 : 1;
                }
            }
            EXPECT_EQ(other, 0) << "pixels outside the palette or half transparent";
            // A picture with see-through corners, not an empty or a filled square.
            EXPECT_GT(opaque, image.width() * image.height() / 4);
            EXPECT_LT(opaque, image.width() * image.height());
        }
    }
}

// The theme icons are written from the same pictures; a hand-edited .ico would leave them behind.
TEST(ProgramResources, ThemeIconsShowTheIconGroupsPictures) {
    const std::vector<QImage> icons = ReadAll(kFolder + "/app.ico");
    ASSERT_EQ(icons.size(), 2u);
    const std::map<int, QImage> group = {{32, icons[0]}, {16, icons[1]}};
    for (const auto& [size, icon] : group) {
        SCOPED_TRACE(size);
        const QImage png(kFolder + QStringLiteral("/app-%1.png").arg(size));
        ASSERT_FALSE(png.isNull());
        // Premultiplied, so every fully transparent pixel compares equal whatever its colour.
        EXPECT_EQ(png.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                  icon.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }
}

// `strings <program> | grep FileVersion` answers for any build: the linker kept the section.
TEST(ProgramResources, VersionRecordIsInTheExecutable) {
    QFile self(QStringLiteral("/proc/self/exe"));
    ASSERT_TRUE(self.open(QIODevice::ReadOnly));
    const QByteArray key =
        QByteArray("FileVersion") + '\0' + ProgramVersionRecord().fileVersion + '\0';
    EXPECT_GE(self.readAll().indexOf(key), 0);
}

// The desktop starts the program by the name the record gives its file, under its product name.
TEST(ProgramResources, DesktopEntryMatchesTheVersionRecord) {
    const platform::ui::VersionRecord& record = ProgramVersionRecord();
    QFile entry(kFolder + "/" PROGRAM_NAME ".desktop");
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly | QIODevice::Text));
    std::map<QString, QString> keys;
    for (const QByteArray& line : entry.readAll().split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals > 0) {
            keys[QString::fromUtf8(line.left(equals))] = QString::fromUtf8(line.mid(equals + 1));
        }
    }
    EXPECT_EQ(keys["Exec"], QString::fromUtf8(record.originalFilename));
    EXPECT_EQ(keys["Icon"], QString::fromUtf8(record.originalFilename));
    EXPECT_EQ(keys["Name"], QString::fromUtf8(record.productName));
    EXPECT_EQ(QStringLiteral(PROGRAM_NAME), QString::fromUtf8(record.originalFilename));
}

}  // namespace
