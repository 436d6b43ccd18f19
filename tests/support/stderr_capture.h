#pragma once
// What the process writes to stderr while this object lives, taken from a temporary file that
// stands in for it; stderr is itself again afterwards.

#include <unistd.h>

#include <cstdio>
#include <string>

class StderrCapture {
public:
    StderrCapture() : m_file(std::tmpfile()) {
        std::fflush(stderr);
        m_saved = ::dup(STDERR_FILENO);
        if (m_file != nullptr) {
            ::dup2(::fileno(m_file), STDERR_FILENO);
        }
    }
    ~StderrCapture() {
        std::fflush(stderr);
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
        if (m_file != nullptr) {
            std::fclose(m_file);
        }
    }
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

    // Everything written so far, which is then forgotten.
    std::string Take() {
        std::fflush(stderr);
        std::string text;
        if (m_file == nullptr) {
            return text;
        }
        std::rewind(m_file);
        for (int c; (c = std::fgetc(m_file)) != EOF;) {
            text.push_back(static_cast<char>(c));
        }
        std::fflush(m_file);
        (void)::ftruncate(::fileno(m_file), 0);
        std::rewind(m_file);
        return text;
    }

private:
    std::FILE* m_file;
    int m_saved = -1;
};
