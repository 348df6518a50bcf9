// Collects what the code under test writes to standard error (fd 2), so a
// test can check the texts a module shows without a display.
#pragma once

#include <cstdio>
#include <string>
#include <unistd.h>

class StderrCapture {
public:
    StderrCapture()
    {
        std::fflush(stderr);
        file = std::tmpfile();
        saved = dup(2);
        dup2(fileno(file), 2);
    }
    ~StderrCapture() { Stop(); }

    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

    // Restores fd 2 and returns everything written since construction.
    std::string Stop()
    {
        if (saved >= 0) {
            std::fflush(stderr);
            dup2(saved, 2);
            close(saved);
            saved = -1;
            std::rewind(file);
            char buffer[4096];
            std::size_t n;
            while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
                text.append(buffer, n);
            std::fclose(file);
        }
        return text;
    }

private:
    std::FILE* file = nullptr;
    int saved = -1;
    std::string text;
};
