// The command line at its edges: links, races, names, unreadable things, signals and
// failures that must never pass for success.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "engine/settings_file.h"
#include "formats/gif/gif_image.h"
#include "formats/jpeg/jpeg_image.h"
#include "formats/png/png_object.h"
#include "graphics/bitmap.h"
#include "png_builder.h"
#include "temp_dir.h"
#include "test_images.h"
#include "wmf_builder.h"

namespace pictorand {
namespace {

namespace fs = std::filesystem;
using testing::LastLine;
using testing::ReadText;
using testing::RunCli;
using testing::TCliResult;
using testing::Tree;

void WritePicture(const std::string& path, TColor colour = RGBColor(0, 90, 180), int width = 6, int height = 4) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(TPixelFormat::pf24bit);
    bitmap.SetSize(width, height);
    bitmap.Fill(colour);
    bitmap.SaveToFile(path);
}

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
    return count;
}

// Root may read and write everything: permission cases run as nobody, in a folder nobody may use.
std::string AsNobody(const testing::TTempDir& dir) {
    fs::permissions(dir.Path(), fs::perms::all);
    return getuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups" : "";
}

const std::string Keep = "--format bmp --size none --naming keep ";

TEST(CliEdges, LinkedFoldersAreMirroredUnderTheirNamesAndNothingIsWrittenOutside) {
    testing::TTempDir dir;
    fs::create_directories(dir.Path() / "src" / "real");
    fs::create_directories(dir.Path() / "elsewhere");
    WritePicture(dir.File("src/a.bmp"));
    WritePicture(dir.File("src/real/b.bmp"));
    WritePicture(dir.File("elsewhere/secret.bmp"), RGBColor(255, 0, 0), 40, 30);
    const auto secret = testing::ReadFileBytes(dir.File("elsewhere/secret.bmp"));
    fs::create_directory_symlink("../elsewhere", dir.Path() / "src" / "link");

    const TCliResult mirrored = RunCli(dir, "-o out -r --overwrite always " + Keep + "src");
    EXPECT_EQ(mirrored.status, 0) << mirrored.errors;
    EXPECT_TRUE(fs::exists(dir.File("out/link/secret.bmp"))) << mirrored.errors;
    EXPECT_EQ(testing::ReadFileBytes(dir.File("elsewhere/secret.bmp")), secret);
    EXPECT_EQ(Tree(dir.Path() / "elsewhere").size(), 1u);

    // A link already standing in the output folder is never followed out of it.
    fs::remove_all(dir.Path() / "out");
    fs::create_directories(dir.Path() / "out");
    fs::create_directory_symlink("../elsewhere", dir.Path() / "out" / "real");
    const TCliResult refused = RunCli(dir, "-o out -r --overwrite always " + Keep + "src");
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.errors.find("failed: src/real/b.bmp: cannot write: "), std::string::npos) << refused.errors;
    EXPECT_NE(refused.errors.find("is a link"), std::string::npos) << refused.errors;
    EXPECT_EQ(Tree(dir.Path() / "elsewhere").size(), 1u);
    EXPECT_TRUE(fs::exists(dir.File("out/a.bmp"))) << "the other files are written";
}

TEST(CliEdges, TheOutputFolderIsNeverASourceOfItsOwnRun) {
    testing::TTempDir dir;
    fs::create_directories(dir.Path() / "ph");
    WritePicture(dir.File("ph/p.bmp"));
    for (int run = 0; run < 3; ++run) {
        const TCliResult result = RunCli(dir, "-o ph/thumbs -r --format bmp --size none ph");
        EXPECT_EQ(result.status, 0) << result.errors;
    }
    EXPECT_EQ(Tree(dir.Path() / "ph" / "thumbs").size(), 1u);
    EXPECT_TRUE(fs::exists(dir.File("ph/thumbs/p_thumb.bmp")));
}

TEST(CliEdges, TheReportNeverReplacesAPictureOrAnotherKindOfFile) {
    testing::TTempDir dir;
    WritePicture(dir.File("1.bmp"));
    WritePicture(dir.File("2.bmp"));
    testing::WriteFileBytes(dir.File("notes.txt"), {'h', 'i', '\n'});
    const auto photo = testing::ReadFileBytes(dir.File("1.bmp"));
    // "--report photos/*.bmp": the report's own name was forgotten.
    for (const char* report : {"1.bmp 2.bmp", "2.bmp 2.bmp", "notes.txt 2.bmp", ". 2.bmp"}) {
        const TCliResult result = RunCli(dir, "-o out --report " + std::string(report));
        EXPECT_EQ(result.status, 2) << report << result.errors;
        EXPECT_EQ(Count(result.errors, "\n"), 2u) << "one reason and a pointer to --help: " << result.errors;
    }
    EXPECT_EQ(testing::ReadFileBytes(dir.File("1.bmp")), photo);
    EXPECT_EQ(ReadText(dir.File("notes.txt")), "hi\n");
    EXPECT_FALSE(fs::exists(dir.Path() / "out" / "2_thumb.jpg"));

    // A new name, an empty file and an earlier report are all fine.
    EXPECT_EQ(RunCli(dir, "-o out --report run.jsonl 1.bmp").status, 0);
    EXPECT_EQ(RunCli(dir, "-o out --report run.jsonl 2.bmp").status, 0);
    testing::WriteFileBytes(dir.File("empty.jsonl"), {});
    EXPECT_EQ(RunCli(dir, "-o out --report empty.jsonl 2.bmp").status, 0);
    EXPECT_NE(ReadText(dir.File("empty.jsonl")).find("\"outcome\":\"skipped\""), std::string::npos);
}

TEST(CliEdges, AWriteFailureFailsItsFileAndTheRunGoesOn) {
    testing::TTempDir dir;
    WritePicture(dir.File("a.bmp"));
    WritePicture(dir.File("b.bmp"));
    WritePicture(dir.File("wide.bmp"), RGBColor(9, 9, 9), 70000, 1);
    for (const char* policy : {"never", "always"}) {
        SCOPED_TRACE(policy);
        fs::remove_all(dir.Path() / "out");
        fs::create_directories(dir.Path() / "out" / "a_thumb.jpg");
        const TCliResult result = RunCli(dir, std::string("-o out --size none --overwrite ") + policy + " a.bmp wide.bmp b.bmp");
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.errors.find("failed: a.bmp: cannot write: "), std::string::npos) << result.errors;
        EXPECT_NE(result.errors.find("a folder has that name"), std::string::npos) << result.errors;
        EXPECT_NE(result.errors.find("failed: wide.bmp: cannot write: JPEG error #"), std::string::npos) << result.errors;
        EXPECT_NE(result.errors.find("Maximum supported image dimension is 65500 pixels"), std::string::npos) << result.errors;
        EXPECT_NE(result.errors.find("written: b.bmp -> out/b_thumb.jpg"), std::string::npos) << result.errors;
        // The message comes once, before the outcome line.
        EXPECT_EQ(Count(result.errors, "Maximum supported image dimension"), 2u) << result.errors;
        EXPECT_LT(result.errors.find("Невозможно записать файл wide.bmp!"), result.errors.find("failed: wide.bmp"));
        EXPECT_EQ(LastLine(result.errors), "1 written, 0 skipped, 2 failed");
        EXPECT_TRUE(fs::is_directory(dir.Path() / "out" / "a_thumb.jpg"));
    }
}

TEST(CliEdges, NamesUpToTheFileSystemsLimitAreWritten) {
    testing::TTempDir dir;
    const std::string name = std::string(251, 'n') + ".bmp";
    WritePicture(dir.File(name));
    const TCliResult result = RunCli(dir, "-o out " + Keep + name);
    EXPECT_EQ(result.status, 0) << result.errors;
    EXPECT_TRUE(fs::exists(dir.Path() / "out" / name));
}

TEST(CliEdges, RacingRunsWriteEachNameOnceAndTheLoserSkips) {
    testing::TTempDir dir;
    constexpr int Files = 40;
    fs::create_directories(dir.Path() / "red");
    fs::create_directories(dir.Path() / "blue");
    for (int i = 0; i < Files; ++i) {
        WritePicture(dir.File("red/" + std::to_string(i) + ".bmp"), RGBColor(255, 0, 0));
        WritePicture(dir.File("blue/" + std::to_string(i) + ".bmp"), RGBColor(0, 0, 255));
    }
    const std::string run = "'" PICTORAND_CLI "' -o out --jobs 1 " + Keep;
    const std::string script = "cd '" + dir.Path().string() + "' && (" + run + "red --report red.jsonl 2>/dev/null & " + run +
                               "blue --report blue.jsonl 2>/dev/null; wait)";
    ASSERT_EQ(std::system(script.c_str()), 0);
    int written = 0;
    for (const char* colour : {"red", "blue"}) {
        std::ifstream report(dir.File(std::string(colour) + ".jsonl"));
        for (std::string line; std::getline(report, line);) {
            const nlohmann::json entry = nlohmann::json::parse(line);
            if (entry["outcome"] != "written") continue;
            ++written;
            TBitmap output;
            output.LoadFromFile(dir.File(entry["output"].get<std::string>()));
            EXPECT_EQ(output.GetPixel(0, 0), colour[0] == 'r' ? RGBColor(255, 0, 0) : RGBColor(0, 0, 255)) << entry["output"];
        }
    }
    EXPECT_EQ(written, Files) << "every name is written by exactly one run";
}

TEST(CliEdges, TemporaryFilesOfRunsInOtherPidNamespacesNeverCollide) {
    if (std::system("unshare -p -f true 2> /dev/null") != 0) GTEST_SKIP() << "no PID namespaces here";
    testing::TTempDir dir;
    for (int i = 0; i < 100; ++i) WritePicture(dir.File(std::to_string(i) + ".bmp"), RGBColor(static_cast<std::uint8_t>(i), 20, 30), 600, 600);
    // Each run is process 1 of its own namespace, as in two containers sharing the folder;
    // both replace the same names at once, a few times over.
    const std::string run = "unshare -p -f '" PICTORAND_CLI "' -o out --jobs 2 --overwrite always --format png --size none --naming keep *.bmp";
    for (int attempt = 0; attempt < 4; ++attempt) {
        std::filesystem::remove_all(dir.Path() / "out");
        const std::string script = "cd '" + dir.Path().string() + "' && { (" + run + " 2> one.txt; echo \\$? > one.status) & (" + run +
                                   " 2> two.txt; echo \\$? > two.status); wait; }";
        ASSERT_EQ(std::system(("bash -c \"" + script + "\"").c_str()), 0);
        EXPECT_EQ(ReadText(dir.File("one.status")), "0\n") << ReadText(dir.File("one.txt"));
        EXPECT_EQ(ReadText(dir.File("two.status")), "0\n") << ReadText(dir.File("two.txt"));
        EXPECT_EQ(Tree(dir.Path() / "out").size(), 100u) << "no temporary file is left";
    }
}

TEST(CliEdges, WhatCannotBeReadIsAFailureAndWhatHoldsNoPictureIsCounted) {
    testing::TTempDir dir;
    fs::create_directories(dir.Path() / "src");
    WritePicture(dir.File("src/good.bmp"));
    fs::create_symlink("nowhere.bmp", dir.Path() / "src" / "dangling.bmp");
    fs::create_symlink("loop.png", dir.Path() / "src" / "loop.png");
    ASSERT_EQ(mkfifo(dir.File("src/pipe.gif").c_str(), 0666), 0);
    testing::WriteFileBytes(dir.File("src/notes.txt"), {'x'});
    const TCliResult result = RunCli(dir, "-o out --report run.jsonl " + Keep + "src");
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.errors.find("failed: src/dangling.bmp: a link to nothing"), std::string::npos) << result.errors;
    EXPECT_NE(result.errors.find("failed: src/loop.png: a link that leads round in a loop"), std::string::npos) << result.errors;
    EXPECT_NE(result.errors.find("failed: src/pipe.gif: not a regular file"), std::string::npos) << result.errors;
    EXPECT_EQ(result.errors.find("notes.txt"), std::string::npos) << "ignored files have no line";
    EXPECT_EQ(LastLine(result.errors), "1 written, 0 skipped, 3 failed, 1 ignored");
    EXPECT_NE(ReadText(dir.File("run.jsonl")).find("{\"source\":\"src/notes.txt\",\"outcome\":\"ignored\""), std::string::npos);

    // A FIFO named on the command line is refused at once, never waited on.
    const TCliResult fifo = RunCli(dir, "-o out " + Keep + "src/pipe.gif", "timeout 20");
    EXPECT_EQ(fifo.status, 1) << fifo.errors;
    EXPECT_NE(fifo.errors.find("FIFO"), std::string::npos) << fifo.errors;
}

TEST(CliEdges, FoldersThatCannotBeListedAreFailures) {
    testing::TTempDir dir;
    const std::string nobody = AsNobody(dir);
    fs::create_directories(dir.Path() / "src" / "closed");
    fs::create_directories(dir.Path() / "shut");
    WritePicture(dir.File("src/a.bmp"));
    WritePicture(dir.File("src/closed/b.bmp"));
    fs::permissions(dir.Path() / "src", fs::perms::all);
    fs::permissions(dir.Path() / "src" / "a.bmp", fs::perms::all);
    fs::permissions(dir.Path() / "src" / "closed", fs::perms::none);
    fs::permissions(dir.Path() / "shut", fs::perms::none);
    const TCliResult below = RunCli(dir, "-o out -r " + Keep + "src", nobody);
    EXPECT_EQ(below.status, 1) << below.errors;
    EXPECT_NE(below.errors.find("failed: src/closed: cannot read the folder: Permission denied"), std::string::npos) << below.errors;
    EXPECT_EQ(LastLine(below.errors), "1 written, 0 skipped, 1 failed");
    const TCliResult given = RunCli(dir, "-o out2 " + Keep + "shut", nobody);
    EXPECT_EQ(given.status, 1) << given.errors;
    EXPECT_NE(given.errors.find("failed: shut: cannot read the folder"), std::string::npos) << given.errors;
    fs::permissions(dir.Path() / "src" / "closed", fs::perms::all);
    fs::permissions(dir.Path() / "shut", fs::perms::all);
}

TEST(CliEdges, ListsAndReportsThatCannotBeUsedAreFailures) {
    testing::TTempDir dir;
    WritePicture(dir.File("a.bmp"));
    fs::create_directories(dir.Path() / "folder");
    testing::WriteFileBytes(dir.File("empty.txt"), {});
    const TCliResult folder = RunCli(dir, "-o out --files-from folder");
    EXPECT_EQ(folder.status, 1);
    EXPECT_NE(folder.errors.find("cannot read the file list folder: Is a directory"), std::string::npos) << folder.errors;
    const TCliResult empty = RunCli(dir, "-o out --files-from empty.txt");
    EXPECT_EQ(empty.status, 1);
    EXPECT_NE(empty.errors.find("no sources"), std::string::npos) << empty.errors;

    const TCliResult full = RunCli(dir, "-o out --report /dev/full a.bmp");
    EXPECT_EQ(full.status, 1);
    EXPECT_NE(full.errors.find("cannot write the report /dev/full: No space left on device"), std::string::npos) << full.errors;
    const TCliResult fullStdout = RunCli(dir, "-o out2 --report - a.bmp > /dev/full");
    EXPECT_EQ(fullStdout.status, 1);
    EXPECT_NE(fullStdout.errors.find("cannot write the report -"), std::string::npos) << fullStdout.errors;
}

TEST(CliEdges, AnOutputFolderThatIsAFileFailsEverySourceWithASummary) {
    testing::TTempDir dir;
    WritePicture(dir.File("a.bmp"));
    WritePicture(dir.File("b.bmp"));
    testing::WriteFileBytes(dir.File("out"), {1});
    const TCliResult result = RunCli(dir, "-o out --report run.jsonl a.bmp b.bmp");
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.errors.find("failed: a.bmp: not converted: the output folder cannot be used"), std::string::npos) << result.errors;
    EXPECT_NE(result.errors.find("failed: b.bmp: "), std::string::npos) << result.errors;
    EXPECT_EQ(LastLine(result.errors), "0 written, 0 skipped, 2 failed");
    EXPECT_EQ(Count(ReadText(dir.File("run.jsonl")), "\n"), 2u);
}

// Starts the command line on a list it keeps reading, sends signal, and answers its exit
// status and stderr.
TCliResult StopWhileReading(const testing::TTempDir& dir, const std::string& signal) {
    std::ofstream(dir.File("stop.sh")) << "cd '" << dir.Path().string() << "'\n"
                                       << "mkfifo list\n"
                                       << "'" PICTORAND_CLI "' -o out --format bmp --files-from list 2> err.txt &\n"
                                       << "pid=$!\n"
                                       << "exec 3> list\n"
                                       << "printf 'a.bmp\\n' >&3\n"
                                       << "sleep 1\n"
                                       << "kill -" << signal << " $pid\n"
                                       << "wait $pid\n"
                                       << "echo $? > status.txt\n"
                                       << "exec 3>&-\n"
                                       << "rm list\n";
    if (std::system(("bash '" + dir.File("stop.sh") + "'").c_str()) != 0) return {-1, {}};
    return {std::stoi(ReadText(dir.File("status.txt"))), ReadText(dir.File("err.txt"))};
}

TEST(CliEdges, StopSignalsEndWithTheirStatusAndTheSummary) {
    testing::TTempDir dir;
    WritePicture(dir.File("a.bmp"));
    for (const auto& [signal, status] : {std::pair{"TERM", 143}, std::pair{"HUP", 129}}) {
        const TCliResult result = StopWhileReading(dir, signal);
        EXPECT_EQ(result.status, status) << signal << result.errors;
        EXPECT_EQ(LastLine(result.errors), "0 written, 0 skipped, 1 failed") << signal;
    }
    // A reader of the report that goes away is a write error, not the end of the process.
    // The first picture takes long enough for the reader to be gone before the first line.
    WritePicture(dir.File("slow.bmp"), RGBColor(1, 2, 3), 3000, 3000);
    for (int i = 0; i < 3; ++i) WritePicture(dir.File("p" + std::to_string(i) + ".bmp"));
    const std::string piped = "cd '" + dir.Path().string() + "' && bash -c \"'" PICTORAND_CLI
                              "' -o piped --format bmp --report - slow.bmp p0.bmp p1.bmp p2.bmp 2> piped.txt | (exec <&-; sleep 3); "
                              "echo \\${PIPESTATUS[0]} > piped.status\"";
    ASSERT_EQ(std::system(piped.c_str()), 0);
    EXPECT_EQ(ReadText(dir.File("piped.status")), "1\n") << ReadText(dir.File("piped.txt"));
    EXPECT_NE(ReadText(dir.File("piped.txt")).find("cannot write the report -: Broken pipe"), std::string::npos) << ReadText(dir.File("piped.txt"));
    EXPECT_EQ(LastLine(ReadText(dir.File("piped.txt"))), "4 written, 0 skipped, 0 failed");
}

TEST(CliEdges, AStopSignalDoesNotWaitForThePictureBeingDecoded) {
    testing::TTempDir dir;
    // 20000 x 20000 one-bit pixels: seconds of decoding from a file of some 50 KB.
    constexpr std::uint32_t Side = 20000;
    const std::vector<std::uint8_t> rows(static_cast<std::size_t>(Side) * (Side / 8 + 1), 0);
    testing::WriteFileBytes(dir.File("huge.png"), testing::TPngBuilder().Header(Side, Side, 1, 0).ImageData(rows).End().Build());
    WritePicture(dir.File("after.bmp"));
    for (const char* jobs : {"1", "2"}) {
        SCOPED_TRACE(jobs);
        std::ofstream(dir.File("stop.sh")) << "cd '" << dir.Path().string() << "'\n"
                                           << "'" PICTORAND_CLI "' -o out --jobs " << jobs << " --report run.jsonl huge.png after.bmp 2> err.txt &\n"
                                           << "pid=$!\n"
                                           << "sleep 0.5\n"
                                           << "start=$(date +%s%N)\n"
                                           << "kill -TERM $pid\n"
                                           << "wait $pid\n"
                                           << "echo $? > status.txt\n"
                                           << "echo $(( ($(date +%s%N) - start) / 1000000 )) > ms.txt\n";
        ASSERT_EQ(std::system(("bash '" + dir.File("stop.sh") + "'").c_str()), 0);
        EXPECT_EQ(ReadText(dir.File("status.txt")), "143\n");
        EXPECT_LT(std::stoi(ReadText(dir.File("ms.txt"))), 3000) << "the decode is not waited for";
        const std::string errors = ReadText(dir.File("err.txt"));
        EXPECT_NE(errors.find("failed: huge.png: not converted: the run was interrupted"), std::string::npos) << errors;
        EXPECT_EQ(LastLine(errors), "0 written, 0 skipped, 2 failed");
        EXPECT_EQ(Count(ReadText(dir.File("run.jsonl")), "\n"), 2u);
        EXPECT_TRUE(!fs::exists(dir.Path() / "out") || fs::is_empty(dir.Path() / "out"));
    }
}

TEST(CliEdges, NamesStayOneLineAndKeepTheirBytesInTheReport) {
    testing::TTempDir dir;
    WritePicture(dir.File("a\nb.bmp"));
    WritePicture(dir.File("\xff\xfe.bmp"));
    // bash's $'...' quoting hands the names over byte for byte.
    const std::string command = "cd '" + dir.Path().string() + "' && bash -c \"'" PICTORAND_CLI "' -o out2 --report run.jsonl " + Keep +
                                "$'a\\\\nb.bmp' $'\\\\xff\\\\xfe.bmp'\" 2> names.txt";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string errors = ReadText(dir.File("names.txt"));
    EXPECT_NE(errors.find("written: a\\nb.bmp -> out2/a\\nb.bmp\n"), std::string::npos) << errors;
    std::ifstream report(dir.File("run.jsonl"));
    std::vector<nlohmann::json> lines;
    for (std::string line; std::getline(report, line);) lines.push_back(nlohmann::json::parse(line));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0]["source"], "a\nb.bmp");
    EXPECT_FALSE(lines[0].contains("source_bytes"));
    EXPECT_EQ(lines[1]["source_bytes"], "//4uYm1w") << "base64 of the name's own bytes";
    EXPECT_EQ(lines[1]["output_bytes"], "b3V0Mi///i5ibXA=");
}

// A metafile of a few bytes claiming 20000 x 20000 pixels is drawn at the size its output
// needs, within a few seconds and a few hundred megabytes; at its own size only when asked.
// One whose records paint the picture a hundred times is drawn; thousands, refused.
TEST(CliEdges, MetafilesAreDrawnAtTheSizeTheOutputNeedsAndTheirWorkIsBounded) {
    testing::TTempDir dir;
    // 46 bytes: the placeable header, the metafile header and the end record.
    testing::WriteFileBytes(dir.File("claims.wmf"), testing::TWmfBuilder().Record(0, {}).Placeable(20000, 20000, 96));
    for (const auto& [name, rectangles] : {std::pair{"paints.wmf", 100}, std::pair{"floods.wmf", 4500}}) {
        testing::TWmfBuilder builder;
        for (int i = 0; i < rectangles; ++i) builder.Record(0x041B, {20000, 20000, 0, 0});  // a rectangle over the whole picture
        builder.Record(0, {});
        testing::WriteFileBytes(dir.File(name), builder.Placeable(20000, 20000, 96));
    }
    const std::string bounded = "prlimit --as=300000000 timeout 5";
    const TCliResult drawn = RunCli(dir, "-o out --format bmp --size pixels:800 claims.wmf paints.wmf floods.wmf", bounded);
    EXPECT_EQ(drawn.status, 1) << drawn.errors;
    for (const char* name : {"out/claims_thumb.bmp", "out/paints_thumb.bmp"}) {
        TBitmap output;
        output.LoadFromFile(dir.File(name));
        EXPECT_EQ(output.Width(), 800) << name;
        EXPECT_EQ(output.Height(), 800) << name;
    }
    EXPECT_NE(drawn.errors.find("failed: floods.wmf: Metafile is not valid: its records draw far more than its picture holds"), std::string::npos)
        << drawn.errors;
    // At its own size the picture needs 1.6 GB: more than the bound allows, and refused.
    EXPECT_EQ(RunCli(dir, "-o full --format bmp --size pixels:800 --full-size-metafiles claims.wmf", bounded).status, 1);
}

// The largest memory the command's process held, in kilobytes, as GNU time reports it.
long PeakKilobytes(const testing::TTempDir& dir, const std::string& arguments) {
    const std::string command = "cd '" + dir.Path().string() + "' && /usr/bin/time -f %M -o peak.txt '" PICTORAND_CLI "' " + arguments + " 2> /dev/null";
    if (std::system(command.c_str()) != 0) return -1;
    return std::stol(ReadText(dir.File("peak.txt")));
}

// Four pictures of 16 MP from files of a few kilobytes, prepared on four threads: within
// a small budget they are decoded one after the other, with the same outputs.
TEST(CliEdges, FilesPreparedAheadKeepWithinTheMemoryBudget) {
    if (std::system("/usr/bin/time -f %M true > /dev/null 2>&1") != 0) GTEST_SKIP() << "GNU time is not installed";
    testing::TTempDir dir;
    // Colour pictures, whose rasters take 48 MB each; a bilevel one is scaled from its own
    // rows and takes too little to tell the two runs apart.
    constexpr std::uint32_t Side = 4000;
    const std::vector<std::uint8_t> rows(static_cast<std::size_t>(Side) * (Side * 3 + 1), 0);
    const auto png = testing::TPngBuilder().Header(Side, Side, 8, 2).ImageData(rows).End().Build();
    for (const char* name : {"a.png", "b.png", "c.png", "d.png"}) testing::WriteFileBytes(dir.File(name), png);
    const std::string sources = " --format bmp --size pixels:100 --jobs 4 a.png b.png c.png d.png";
    const long free = PeakKilobytes(dir, "-o free --memory-budget 100000" + sources);
    const long bounded = PeakKilobytes(dir, "-o bounded --memory-budget 100" + sources);
    ASSERT_GT(free, 0);
    ASSERT_GT(bounded, 0);
    EXPECT_LT(bounded * 2, free) << "one picture at a time: " << bounded << " KB against " << free << " KB";
    EXPECT_EQ(Tree(dir.Path() / "bounded"), Tree(dir.Path() / "free"));
}

// A PNG, GIF and JPEG cut short are still written, with what they hold, and say so.
TEST(CliEdges, FilesCutShortAreWrittenWithAWarning) {
    testing::TTempDir dir;
    TBitmap photo = testing::PhotoLike(64, 53);
    const auto cut = [&](const std::string& name, TGraphic& image) {
        TMemoryStream whole;
        image.SaveToStream(whole);
        std::vector<std::uint8_t> bytes = whole.Bytes();
        bytes.resize(bytes.size() * 3 / 5);
        testing::WriteFileBytes(dir.File(name), bytes);
    };
    TPNGObject png;
    png.Assign(photo);
    cut("a.png", png);
    TJPEGImage jpeg;
    jpeg.Assign(photo);
    cut("b.jpg", jpeg);
    TGIFImage gif;
    gif.Assign(photo);
    cut("c.gif", gif);
    const TCliResult result = RunCli(dir, "-o out --report run.jsonl --size none --format bmp a.png b.jpg c.gif");
    EXPECT_EQ(result.status, 0) << result.errors;
    for (const char* name : {"a.png", "b.jpg", "c.gif"}) {
        const std::string line = "written: " + std::string(name) + " -> out/" + name[0] + "_thumb.bmp; warning: the file ends early: ";
        const std::size_t at = result.errors.find(line);
        ASSERT_NE(at, std::string::npos) << name << "\n" << result.errors;
        EXPECT_LT(std::stoi(result.errors.substr(at + line.size())), 53) << name;
        EXPECT_EQ(result.errors.substr(result.errors.find(" of ", at + line.size()), 12), " of 53 rows\n") << name;
    }
    EXPECT_EQ(LastLine(result.errors), "3 written, 0 skipped, 0 failed, 3 warnings");
    std::ifstream report(dir.File("run.jsonl"));
    std::string first;
    std::getline(report, first);
    const nlohmann::json entry = nlohmann::json::parse(first);
    ASSERT_EQ(entry["warnings"].size(), 1u);
    EXPECT_TRUE(entry["warnings"][0].get<std::string>().starts_with("the file ends early: "));
}

TEST(CliEdges, UsageErrorsAreOneReasonAndReadOnlySettingsWork) {
    testing::TTempDir dir;
    const TCliResult usage = RunCli(dir, "-o out --bogus a.bmp");
    EXPECT_EQ(usage.status, 2);
    EXPECT_EQ(usage.errors, "pictorand-cli: unknown option --bogus\nTry 'pictorand-cli --help' for more information.\n");

    const std::string nobody = AsNobody(dir);
    WritePicture(dir.File("a.bmp"));
    fs::permissions(dir.File("a.bmp"), fs::perms::all);
    ConversionSettings settings;
    settings.Format = OutputFormatNamed("png");
    WriteSettingsFile(dir.File("Setting.dat"), settings);
    fs::permissions(dir.File("Setting.dat"), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const TCliResult readOnly = RunCli(dir, "-o out --settings Setting.dat a.bmp", nobody);
    EXPECT_EQ(readOnly.status, 0) << readOnly.errors;
    EXPECT_TRUE(fs::exists(dir.File("out/a_thumb.png")));
}

}  // namespace
}  // namespace pictorand
