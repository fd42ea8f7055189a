#include "records/recordfiles.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <signal.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

// Kills a process that saves records over and over at random moments; after every kill
// each file must hold one whole line, the old one or the new one.
TEST(RecordSaving, AKillAtAnyMomentLeavesEitherTheOldOrTheNewLine)
{
    TempDir dir;
    const std::string recordDir = records::withFinalSeparator(dir.path().string());
    records::createMissingFiles(recordDir);
    records::saveRecord(recordDir, "1", "Uno");

    std::mt19937 random(20261207);
    constexpr int rounds = 150;
    int seenNew = 0;
    for (int round = 0; round < rounds; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (unsigned i = 0;; ++i)
                records::saveRecord(recordDir, i % 2 ? "2" : "1", i % 2 ? "Due" : "Uno");
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 4000));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));

        const std::string score = readBytes(dir.path() / "tavrec.txt");
        const std::string name = readBytes(dir.path() / "ntavrec.txt");
        ASSERT_TRUE(score == "1\r\n" || score == "2\r\n") << "round " << round << ": " << score;
        ASSERT_TRUE(name == "Uno\r\n" || name == "Due\r\n") << "round " << round << ": " << name;
        seenNew += score == "2\r\n";
    }
    EXPECT_GT(seenNew, 0) << "the kills never caught a save half-way through the loop";
    EXPECT_LT(seenNew, rounds);
}
