#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/MessageBox.h"
#include "support/TempDir.h"

namespace {

// What the calls in `run` wrote to stderr.
template <typename Run>
std::string Stderr(Run run) {
    TempDir dir;
    const std::string path = dir.File("stderr.txt");
    std::fflush(stderr);
    const int saved = dup(fileno(stderr));
    FILE* file = std::fopen(path.c_str(), "w");
    dup2(fileno(file), fileno(stderr));
    run();
    std::fflush(stderr);
    dup2(saved, fileno(stderr));
    close(saved);
    std::fclose(file);
    return ReadWholeFile(path);
}

TEST(Messages, EachIsOneLineWhateverAPathHoldsAndBoxesOnlyWhereInstalled) {
    const struct {
        std::string text, line;
    } cases[] = {
        {"(/home/a b/pic.jpg)image loading error.", "(/home/a b/pic.jpg)image loading error."},
        {"(/tmp/two\nlines.png)", "(/tmp/two\\nlines.png)"},
        {"a\r\tb", "a\\r\\tb"},
        {std::string("nul\0 \x01\x1b\x7f", 8), "nul\\x00 \\x01\\x1b\\x7f"},
        {"caf\xc3\xa9 \xe2\x9c\x93", "caf\xc3\xa9 \xe2\x9c\x93"},  // UTF-8 passes as it is
    };
    for (const auto& c : cases)
        EXPECT_EQ(MessageLine(c.text), c.line);

    // No handler: a screensaver's messages are lines on stderr, nothing else.
    const MessageBoxHandler previous = SetMessageBoxHandler({});
    EXPECT_EQ(Stderr([] {
                  ShowMessageBox("(/tmp/x\ny.png)image loading error.", "VelmarScr");
                  ReportProblem("no sound: none");
              }),
              "VelmarScr: (/tmp/x\\ny.png)image loading error.\ntidemere: no sound: none\n");
    // A handler gets the text as it is, and the line is still written.
    std::vector<std::string> boxes;
    SetMessageBoxHandler([&](const std::string& text, const std::string& caption) {
        boxes.push_back(caption + "|" + text);
    });
    EXPECT_EQ(Stderr([] { ShowMessageBox("a\nb", "ERROR"); }), "ERROR: a\\nb\n");
    EXPECT_EQ(Stderr([] { ReportProblem("cannot save"); }), "tidemere: cannot save\n");
    EXPECT_EQ(boxes, std::vector<std::string>{"ERROR|a\nb"}) << "a problem line opens no box";
    SetMessageBoxHandler(previous);
}

}  // namespace
