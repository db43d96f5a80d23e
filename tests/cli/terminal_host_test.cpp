#include "cli/terminal_host.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

namespace pictorand {
namespace {

struct TFileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

std::string Contents(std::FILE* file) {
    std::rewind(file);
    std::string text;
    for (int c; (c = std::fgetc(file)) != EOF;) text += static_cast<char>(c);
    return text;
}

TEST(TerminalHost, TheReplacePromptNamesTheFileItAsksAbout) {
    std::unique_ptr<std::FILE, TFileCloser> input(std::tmpfile()), output(std::tmpfile());
    std::fputs("maybe\ny\n", input.get());
    std::rewind(input.get());
    TTerminalHost host(TOverwritePolicy::Ask, true, input.get(), output.get());
    EXPECT_TRUE(host.AskReplace("out/a.bmp", "Файл существует! Заменить?"));
    EXPECT_EQ(Contents(output.get()), "out/a.bmp: Файл существует! Заменить? [y/n] out/a.bmp: Файл существует! Заменить? [y/n] ");

    TTerminalHost never(TOverwritePolicy::Never, true, input.get(), output.get());
    EXPECT_FALSE(never.AskReplace("out/a.bmp", "Файл существует! Заменить?"));
}

TEST(TerminalHost, OutcomeLinesNameTheSource) {
    std::unique_ptr<std::FILE, TFileCloser> output(std::tmpfile());
    TTerminalHost host(TOverwritePolicy::Never, false, stdin, output.get());
    TFileOutcome written;
    written.Kind = TOutcome::Written;
    written.Source = "in/a b.png";
    written.Output = "out/a b.jpg";
    TFileOutcome failed;
    failed.Source = "in/c.png";
    failed.Error = "Stream read error";
    host.ReportOutcome(written);
    host.ReportOutcome(failed);
    EXPECT_EQ(Contents(output.get()), "written: in/a b.png -> out/a b.jpg\nfailed: in/c.png: Stream read error\n");
}

}  // namespace
}  // namespace pictorand
