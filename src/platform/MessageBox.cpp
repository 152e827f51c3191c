#include "platform/MessageBox.h"

#include <cstdio>

namespace {
MessageBoxHandler g_handler;

void WriteLine(const std::string& prefix, const std::string& text) {
    // One write, so lines from two threads never interleave.
    const std::string line = MessageLine(prefix) + ": " + MessageLine(text) + "\n";
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
}
}  // namespace

std::string MessageLine(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u != 0x7f) {
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", u);
            out += escape;
        }
    }
    return out;
}

void ShowMessageBox(const std::string& text, const std::string& caption) {
    WriteLine(caption, text);
    if (g_handler) g_handler(text, caption);
}

void ReportProblem(const std::string& text) {
    WriteLine("tidemere", text);
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    MessageBoxHandler old = std::move(g_handler);
    g_handler = std::move(handler);
    return old;
}
