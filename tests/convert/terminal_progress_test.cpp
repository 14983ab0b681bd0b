#include "convert/terminal_progress.h"

#include <sstream>

#include <gtest/gtest.h>

namespace {

struct Terminal {
    explicit Terminal(bool inPlace) : progress(out, inPlace, 2, [this] { return now; }) {}
    std::ostringstream out;
    std::uint64_t now = 1000;
    TerminalProgress progress;
};

FileResult Done(const char* in, FileOutcome outcome, const char* error = "") {
    return {in, std::string(in) + ".vob", outcome, error, "", ""};
}

TEST(TerminalProgress, OnATerminalOneLineIsRewrittenAtMostTwiceASecond) {
    Terminal t(true);
    t.progress.BatchStarted("start");
    t.now += 100;
    t.progress.ShowProgress("ten", 100); // too soon after the first drawing
    t.now += 400;
    t.progress.ShowProgress("ten", 100); // same text: nothing new to draw
    t.progress.ShowProgress("twenty", 200);
    EXPECT_EQ(t.out.str(), "\r[1/2] start\r[1/2] twenty");

    t.progress.FileFinished(Done("a", FileOutcome::Converted));
    t.progress.ShowProgress("x", 600); // the line after a finished file waits its half second too
    t.progress.BatchFinished({});
    EXPECT_EQ(t.out.str(), "\r[1/2] start\r[1/2] twenty\r" + std::string(12, ' ') +
                               "\rconverted a -> a.vob\n\r[2/2] twenty\r" + std::string(12, ' ') + "\r");
}

TEST(TerminalProgress, ElsewhereOneLinePerFinishedFileNamingFailures) {
    Terminal t(false);
    t.progress.BatchStarted("start");
    t.progress.ShowProgress("ten", 100);
    t.progress.FileFinished(Done("a", FileOutcome::Failed, "zezozov: a: not a media file"));
    t.progress.FileFinished(Done("b", FileOutcome::Stopped));
    t.progress.BatchFinished({});
    EXPECT_EQ(t.out.str(), "not converted a: zezozov: a: not a media file\n"
                           "stopped b; its partial output was removed\n");
}

TEST(TerminalProgress, TheStopQuestionIsAnsweredYesOnlyAfterAStopRequest) {
    Terminal t(false);
    EXPECT_FALSE(t.progress.ConfirmStop());
    t.progress.StopRequested();
    EXPECT_TRUE(t.progress.ConfirmStop());
}

} // namespace
