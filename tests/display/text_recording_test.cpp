#include "display/text_recording.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "record_files.h"

namespace dravio::display {
namespace {

using testing::at;
using testing::DataFolder;
using testing::readFile;
using testing::sampleRecord;

TEST(TextRecording, FileNameFromDateAndTime) {
    const struct {
        std::tm when;
        const char* name;
    } cases[] = {
        {at(12, 4, 9, 5, 7), "mes1204 -090507.txt"},
        {at(1, 31, 23, 59, 59), "mes0131 -235959.txt"},
        {at(7, 1, 0, 0, 0), "mes0701 -000000.txt"},
    };
    for (const auto& c : cases) EXPECT_EQ(textRecordingName(c.when), c.name);
}

TEST(TextRecording, StartWritesQuotedHeaderAndStopLeavesOnlyTheCsv) {
    DataFolder data;
    TextRecording recording(data.path(), RecordLayout::Standard);
    EXPECT_EQ(recording.start(at(12, 4, 9, 5, 7)), "CSV created 1");
    const auto txt = data.path() / "mes1204 -090507.txt";
    EXPECT_EQ(readFile(txt),
              "\"Time;RPM;TPS;Injection;Advance;Pressure;AirTemp;EngineTemp;Voltage;AFR1;AFR2;Lambda\"\r\n");

    RecordTexts texts;
    texts.AFR1 = "14.70";
    texts.lambdaShown = true;
    recording.writeLine(sampleRecord(), texts);
    EXPECT_EQ(recording.stop(), data.path() / "mes1204 -090507.csv");
    EXPECT_FALSE(std::filesystem::exists(txt));
    EXPECT_EQ(readFile(data.path() / "mes1204 -090507.csv"),
              "Time;RPM;TPS;Injection;Advance;Pressure;AirTemp;EngineTemp;Voltage;AFR1;AFR2;Lambda\r\n"
              "1.25;1234.5;12.5;3.25;15;987.5;21;85;13.5;14.70;0;0.457\r\n");
}

TEST(TextRecording, FieldsByLayoutAndDisplayState) {
    RecordTexts off;  // AFR windows and lambda show "--"
    off.SteepTPS = "112";
    off.TPSmV = "560";
    const auto standard = textFields(sampleRecord(), off, RecordLayout::Standard);
    ASSERT_EQ(standard.size(), 12u);
    EXPECT_EQ(standard[9], "0");
    EXPECT_EQ(standard[10], "0");
    EXPECT_EQ(standard[11], "0");
    EXPECT_EQ(textFields(sampleRecord(), off, RecordLayout::ObdLoad).size(), 12u);
    const auto steps = textFields(sampleRecord(), off, RecordLayout::ThrottleSteps);
    ASSERT_EQ(steps.size(), 14u);
    EXPECT_EQ(steps[12], "112");
    EXPECT_EQ(steps[13], "560");
    const auto headers = textHeaders(RecordLayout::ThrottleSteps);
    EXPECT_EQ(headers[12], "SteepTPS");
    EXPECT_EQ(headers[13], "TPSmV");
}

TEST(TextRecording, QuotesInsideADisplayTextLeaveNoneInTheCsv) {
    DataFolder data;
    TextRecording recording(data.path(), RecordLayout::ThrottleSteps);
    recording.start(at(3, 2, 1, 0, 0));
    RecordTexts texts;
    texts.SteepTPS = "1\"2";
    recording.writeLine(sampleRecord(), texts);
    const std::string csv = readFile(recording.stop());
    EXPECT_EQ(csv.find('"'), std::string::npos);
    EXPECT_NE(csv.find(";12;"), std::string::npos);
}

TEST(TextRecording, OpenFailureIsReportedAndCounted) {
    DataFolder data;
    TextRecording recording(data.path() / "missing", RecordLayout::Standard);
    EXPECT_EQ(recording.start(at(1, 1, 0, 0, 0)), "CSV not created 1");
    EXPECT_FALSE(recording.recording());
    recording.writeLine(sampleRecord(), {});  // nothing to write to, no crash
    EXPECT_TRUE(recording.stop().empty());
    TextRecording second(data.path(), RecordLayout::Standard);
    second.NbCSV = recording.NbCSV;
    EXPECT_EQ(second.start(at(1, 1, 0, 0, 1)), "CSV created 2");
}

TEST(TextRecording, KilledRecordingKeepsEveryLineAndIsRecoveredAtNextStart) {
    DataFolder data;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TextRecording recording(data.path(), RecordLayout::Standard);
        recording.start(at(12, 4, 9, 5, 7));
        for (int i = 0; i < 3; ++i) recording.writeLine(sampleRecord(), {});
        ::kill(::getpid(), SIGKILL);  // no destructor, no buffered data saved
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    ASSERT_TRUE(std::filesystem::exists(data.path() / "mes1204 -090507.txt"));
    std::ofstream(data.path() / "notes.txt") << "\"kept\"";  // not a recording: left alone

    EXPECT_EQ(recoverTextRecordings(data.path()), std::vector<std::string>{"CSV recovered mes1204 -090507.csv"});
    const std::string csv = readFile(data.path() / "mes1204 -090507.csv");
    std::size_t lines = 0;
    for (std::size_t at = csv.find("\r\n"); at != std::string::npos; at = csv.find("\r\n", at + 2)) ++lines;
    EXPECT_EQ(lines, 4u);
    EXPECT_FALSE(std::filesystem::exists(data.path() / "mes1204 -090507.txt"));
    EXPECT_EQ(readFile(data.path() / "notes.txt"), "\"kept\"");
}

}  // namespace
}  // namespace dravio::display
