#include "fake_modem.h"

namespace {

constexpr char kTextEnd[] = "\r\n\x1A";

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

void FakeModem::Answer(Dialogue dialogue) {
    m_backend.OnWrite([this, dialogue = std::move(dialogue)](const std::string& block) {
        std::vector<Chunk> chunks = Reply(dialogue, block);
        m_players.emplace_back([this, chunks = std::move(chunks)] {
            for (const Chunk& chunk : chunks) {
                std::this_thread::sleep_for(std::chrono::milliseconds(chunk.afterMs));
                m_backend.PushInput(chunk.bytes);
            }
        });
    });
}

void FakeModem::Stop() {
    m_backend.OnWrite(nullptr);
    for (std::thread& player : m_players) {
        player.join();
    }
    m_players.clear();
}

std::vector<Chunk> FakeModem::Reply(const Dialogue& dialogue, const std::string& block) const {
    const bool text = EndsWith(block, kTextEnd);
    const std::string key = block.substr(0, block.size() - (text ? 3 : 2));
    std::vector<Chunk> chunks;
    if (dialogue.echo) {
        // A command's LF is not echoed; a message text's CR LF is, its Ctrl-Z is not.
        chunks.push_back({0, text ? key + "\r\n" : key + "\r"});
    }
    const auto reply = dialogue.replies.find(key);
    if (reply != dialogue.replies.end()) {
        chunks.insert(chunks.end(), reply->second.begin(), reply->second.end());
    }
    return chunks;
}
