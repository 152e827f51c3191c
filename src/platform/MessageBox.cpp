#include "platform/MessageBox.h"

#include <cstdio>

namespace {
MessageBoxHandler g_handler;
}

void ShowMessageBox(const std::string& text, const std::string& caption) {
    if (g_handler) {
        g_handler(text, caption);
        return;
    }
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    MessageBoxHandler old = std::move(g_handler);
    g_handler = std::move(handler);
    return old;
}
