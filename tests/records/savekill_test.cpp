// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/recordfiles.h"
#include "support/game_fixture.h"

#include <chrono>
#include <random>
#include <signal.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

struct PairCount {
    int oldPairs = 0;
    int newPairs = 0;
    int mixedOnDisk = 0;
};

// Names of varying length: a save must never leave a longer or shorter line half-made.
std::string nameFor(int score)
{
    return "N" + std::to_string(score) + std::string(score % 3 * 4, '+');
}

bool isPair(const std::string& score, const std::string& name)
{
    return !score.empty() && name == nameFor(std::stoi(score)) + "\r\n";
}

// Kills a process that saves ever better records at random moments, drawn over twice
// the time its first save takes on this disk, and reads the record after every kill: it must
// be a whole pair, the one before the kill or a later one. On disk the two files may
// disagree only while the commit mark says the next game will finish them.
PairCount killSavesAtRandom(const std::filesystem::path& base, int rounds)
{
    TempDir dir(base);
    FixedDirectory directory(dir.path().string());
    LocalRecordStore store(directory);
    store.locate();
    store.open();

    // How long a fresh process takes to make its first save, measured here and now.
    auto saveInAChild = [&](int score) {
        const pid_t child = ::fork();
        if (child == 0) {
            try {
                LocalRecordStore saver(directory);
                saver.locate();
                saver.saveIfBeaten(std::to_string(score), nameFor(score));
            } catch (...) {
            }
            ::_exit(0);
        }
        ::waitpid(child, nullptr, 0);
    };
    constexpr int timedSaves = 10;
    const auto started = std::chrono::steady_clock::now();
    for (int i = 1; i <= timedSaves; ++i)
        saveInAChild(i);
    const auto firstSave = (std::chrono::steady_clock::now() - started) / timedSaves;

    std::mt19937 random(20261207);
    std::uniform_real_distribution<double> saves(0.0, 2.0);
    PairCount count;
    int next = timedSaves + 1;
    for (int round = 0; round < rounds; ++round) {
        const StoredRecord before = store.open();
        const pid_t child = ::fork();
        if (child == 0) {
            try {
                LocalRecordStore saver(directory);
                saver.locate();
                for (int score = next;; ++score)
                    saver.saveIfBeaten(std::to_string(score), nameFor(score));
            } catch (...) {
            }
            ::_exit(1);
        }
        std::this_thread::sleep_for(
            std::chrono::duration_cast<std::chrono::microseconds>(firstSave * saves(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status));

        const std::string score = readBytes(dir.path() / "tavrec.txt");
        const std::string name = readBytes(dir.path() / "ntavrec.txt");
        if (!isPair(score, name)) {
            ++count.mixedOnDisk;
            EXPECT_TRUE(std::filesystem::exists(dir.path() / "tavrec.commit")) << round;
        }
        const StoredRecord after = store.open();
        EXPECT_TRUE(isPair(after.score, after.name))
            << "round " << round << ": " << after.score << after.name;
        if (after.score == before.score)
            ++count.oldPairs;
        else
            ++count.newPairs;
        next = std::stoi(after.score) + 1;
    }
    return count;
}

} // namespace

TEST(RecordSaving, AKillAtAnyMomentLeavesTheOldPairOrTheNewOneOnTmpfs)
{
    if (!std::filesystem::is_directory("/dev/shm")) GTEST_SKIP() << "no tmpfs here";
    const PairCount count = killSavesAtRandom("/dev/shm", 150);
    RecordProperty("old", count.oldPairs);
    RecordProperty("new", count.newPairs);
    RecordProperty("mixedOnDisk", count.mixedOnDisk);
    EXPECT_GT(count.newPairs, 0) << "no kill came after a save";
}

TEST(RecordSaving, AKillAtAnyMomentLeavesTheOldPairOrTheNewOneOnTheRealDisk)
{
    const PairCount count = killSavesAtRandom(MOLTIPLIX_TEST_DISK_DIR, 60);
    RecordProperty("old", count.oldPairs);
    RecordProperty("new", count.newPairs);
    RecordProperty("mixedOnDisk", count.mixedOnDisk);
    EXPECT_GT(count.newPairs, 0) << "no kill came after a save";
}
