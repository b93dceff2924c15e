#include "display/text_recording.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>

#include "record_files.h"

namespace dravio::display {
namespace {

using testing::at;
using testing::DataFolder;
using testing::readBytes;
using testing::sampleRecord;

TEST(TextRecording, StartWritesQuotedHeaderAndStopLeavesOnlyTheCsv) {
    EXPECT_EQ(textRecordingName(at(1, 31, 23, 59, 59)), "mes0131 -235959.txt");
    DataFolder data;
    TextRecording recording(data.path(), RecordLayout::Standard);
    EXPECT_EQ(recording.start(at(12, 4, 9, 5, 7)), "CSV created 1");
    const auto txt = data.path() / "mes1204 -090507.txt";
    EXPECT_EQ(readBytes(txt),
              "\"Time;RPM;TPS;Injection;Advance;Pressure;AirTemp;EngineTemp;Voltage;AFR1;AFR2;Lambda\"\r\n");

    RecordTexts texts;
    texts.AFR1 = "14.70";
    texts.AFR2 = "1\"3";  // a quote in a display text leaves none in the CSV
    texts.lambdaShown = true;
    recording.writeLine(sampleRecord(), texts);
    EXPECT_EQ(recording.stop(), data.path() / "mes1204 -090507.csv");
    EXPECT_FALSE(std::filesystem::exists(txt));
    EXPECT_EQ(readBytes(data.path() / "mes1204 -090507.csv"),
              "Time;RPM;TPS;Injection;Advance;Pressure;AirTemp;EngineTemp;Voltage;AFR1;AFR2;Lambda\r\n"
              "1.25;1234.5;12.5;3.25;15;987.5;21;85;13.5;14.70;13;0.457\r\n");
}

TEST(TextRecording, FieldsByLayoutAndDisplayState) {
    RecordTexts off{"--", "--", false, "112", "560"};  // AFR labels and lambda show "--"
    const auto standard = textFields(sampleRecord(), off, RecordLayout::Standard);
    EXPECT_EQ(std::vector<std::string>(standard.begin() + 9, standard.end()),
              (std::vector<std::string>{"0", "0", "0"}));
    EXPECT_EQ(textFields(sampleRecord(), off, RecordLayout::ObdLoad).size(), 12u);
    const auto steps = textFields(sampleRecord(), off, RecordLayout::ThrottleSteps);
    EXPECT_EQ(std::vector<std::string>(steps.begin() + 12, steps.end()), (std::vector<std::string>{"112", "560"}));
    EXPECT_EQ(textHeaders(RecordLayout::ThrottleSteps).back(), "TPSmV");
}

TEST(TextRecording, OpenFailureIsReportedAndCounted) {
    DataFolder data;
    TextRecording recording(data.path() / "missing", RecordLayout::Standard);
    EXPECT_EQ(recording.start(at(1, 1, 0, 0, 0)), "CSV not created 1");
    recording.writeLine(sampleRecord(), {});  // nothing to write to, no crash
    EXPECT_TRUE(recording.stop().empty());
    EXPECT_EQ(recording.start(at(1, 1, 0, 0, 1)), "CSV not created 2");
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
    const std::string csv = readBytes(data.path() / "mes1204 -090507.csv");
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 4);
    EXPECT_FALSE(std::filesystem::exists(data.path() / "mes1204 -090507.txt"));
    EXPECT_EQ(readBytes(data.path() / "notes.txt"), "\"kept\"");
}

}  // namespace
}  // namespace dravio::display
