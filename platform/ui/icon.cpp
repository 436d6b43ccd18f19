#include <QFile>
#include <QIcon>
#include <map>
#include <memory>
#include <mutex>

#include "platform/ui/icon_store.h"

namespace platform::ui {

HICON LoadIcon(std::int32_t groupId) {
    // Loaded once per group and kept for the whole run, so handles never dangle.
    static std::mutex lock;
    static std::map<std::int32_t, std::unique_ptr<Icon>>* const loaded =
        new std::map<std::int32_t, std::unique_ptr<Icon>>();
    std::lock_guard<std::mutex> guard(lock);
    auto found = loaded->find(groupId);
    if (found != loaded->end()) {
        return found->second.get();
    }
    const QString path = QStringLiteral(":/icons/%1.ico").arg(groupId);
    if (!QFile::exists(path)) {
        return nullptr;
    }
    auto icon = std::make_unique<Icon>();
    icon->icon = QIcon(path);
    if (icon->icon.isNull()) {
        return nullptr;
    }
    HICON handle = icon.get();
    loaded->emplace(groupId, std::move(icon));
    return handle;
}

}  // namespace platform::ui
