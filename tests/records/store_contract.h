// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "records/recordstore.h"
#include "support/fatal_message.h"
#include "support/tempdir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <random>
#include <set>
#include <thread>

// What every record store promises, whoever keeps the files. A Kind gives folder(), where
// the files lie; game(), the store of a game just started; holdLock(), the lock held as
// another game holds it; startSaving(score, name), another game about to save them, whose
// end(kill) kills it or waits until it has saved; freeze(), the record made read-only as
// its kind of system does it. nicolo is how the name "Nicolò" lies on its disk, leftover a
// temporary that a save of an earlier version left, and files what the folder holds
// between games. A kind whose commit mark is not the file "tavrec.commit" gives
// markCommitted(), which marks the spares as a committed save, and committed(); one that
// may delete nothing in its folder (deletesNothing) leaves an earlier version's mark there,
// spent.
template <typename Kind> class StoreContract : public ::testing::Test {
protected:
    std::filesystem::path at(const std::string& name) const { return kind.folder() / name; }
    void put(const std::string& name, const std::string& bytes) { writeBytes(at(name), bytes); }
    std::string onDisk() const
    {
        return readBytes(at("tavrec.txt")) + readBytes(at("ntavrec.txt"));
    }
    std::string readByANewGame()
    {
        const StoredRecord record = kind.game()->open();
        return record.score + record.name;
    }
    void markCommitted()
    {
        if constexpr (requires(Kind & k) { k.markCommitted(); })
            kind.markCommitted();
        else
            put("tavrec.commit", "");
    }
    bool committed() const
    {
        if constexpr (requires(const Kind& k) { k.committed(); })
            return kind.committed();
        else
            return std::filesystem::exists(at("tavrec.commit"));
    }

    Kind kind;
};
TYPED_TEST_SUITE_P(StoreContract);

TYPED_TEST_P(StoreContract, SavesOnlyWhatStrictlyBeatsTheRecordAsItIsNowAndShowsItRaw)
{
    const auto first = this->kind.game(), second = this->kind.game();
    EXPECT_EQ(first->open().score + second->open().name, "");
    EXPECT_TRUE(std::filesystem::exists(this->at("tavrec.txt")));
    EXPECT_TRUE(std::filesystem::exists(this->at("ntavrec.txt")));
    EXPECT_EQ(first->saveIfBeaten("0", "Zero"), SaveOutcome::NotSaved) << "no record counts as 0";
    EXPECT_EQ(first->saveIfBeaten("9", "Anna"), SaveOutcome::Saved);
    // The second game read no record at its start.
    EXPECT_EQ(second->saveIfBeaten("5", "Bruno"), SaveOutcome::NotSaved);
    EXPECT_EQ(second->saveIfBeaten("9", "Bruno"), SaveOutcome::NotSaved);
    EXPECT_EQ(this->onDisk(), "9\r\nAnna\r\n");
    EXPECT_EQ(second->saveIfBeaten("10", "Nicolò\r\n\t"), SaveOutcome::Saved);
    EXPECT_EQ(this->onDisk(), "10\r\n" + TypeParam::nicolo + "\r\n");
    EXPECT_EQ(this->readByANewGame(), "10\r\nNicolò\r\n");
    this->put("tavrec.txt", std::string(100000, '7'));
    EXPECT_EQ(this->readByANewGame(), std::string(65536, '7') + "Nicolò\r\n");
    // Notepad's UTF-8 starts with a byte-order mark: the record is still 12, by Nicolò.
    const std::string mark = "\xEF\xBB\xBF";
    this->put("tavrec.txt", mark + "12\r\n");
    this->put("ntavrec.txt", mark + "Nicolò\r\n");
    EXPECT_EQ(this->readByANewGame(), "12\r\nNicolò\r\n");
    EXPECT_EQ(this->kind.game()->saveIfBeaten("11", "Anna"), SaveOutcome::NotSaved);
    // Carried over without a mark, from Linux (UTF-8) or from an old Windows PC (1252).
    for (const std::string name : {"Nicol\xC3\xB2", "Nicol\xF2"}) {
        this->put("ntavrec.txt", name + "\r\n");
        EXPECT_EQ(this->readByANewGame(), "12\r\nNicolò\r\n") << name;
    }
}

// A save is cut by a kill: before its commit mark the old pair stands, after it the
// next game finishes the save from the spares. The file "tavrec.commit" is the mark of
// older versions, still honoured, then removed.
TYPED_TEST_P(StoreContract, ACutSaveIsFinishedOnlyOnceItsMarkIsThere)
{
    this->kind.game()->open();
    const auto cut = [this](bool marked) {
        this->put("tavrec.txt", marked ? "7\r\n" : "3\r\n");
        this->put("ntavrec.txt", "Bea\r\n");
        this->put("tavrec.txt.new", "7\r\n");
        this->put("ntavrec.txt.new", "Eva\r\n");
    };
    cut(false);
    this->put(TypeParam::leftover, "Old\r\n");
    EXPECT_EQ(this->readByANewGame(), "3\r\nBea\r\n");
    if constexpr (!requires { TypeParam::deletesNothing; }) {
        EXPECT_FALSE(std::filesystem::exists(this->at(TypeParam::leftover)));
    }
    for (const bool oldMark : {false, true}) {
        cut(true);
        if (oldMark) {
            this->put("tavrec.commit", "");
            // Left by a game of an earlier version, a while ago.
            for (const char* name : {"tavrec.txt.new", "ntavrec.txt.new", "tavrec.commit"})
                std::filesystem::last_write_time(this->at(name),
                                                 std::filesystem::file_time_type::clock::now() -
                                                     std::chrono::hours(1));
        } else {
            this->markCommitted();
        }
        EXPECT_EQ(this->readByANewGame(), "7\r\nEva\r\n") << oldMark;
        EXPECT_EQ(this->onDisk(), "7\r\nEva\r\n") << oldMark;
        EXPECT_FALSE(this->committed()) << oldMark;
        if constexpr (!requires { TypeParam::deletesNothing; }) {
            EXPECT_FALSE(std::filesystem::exists(this->at("tavrec.commit"))) << oldMark;
        }
        // Finished once: what the spares hold later, a later save cut before its mark, is
        // no save.
        this->put("tavrec.txt", "3\r\n");
        this->put("ntavrec.txt", "Bea\r\n");
        this->put("tavrec.txt.new", "8\r\n");
        this->put("ntavrec.txt.new", "Ida\r\n");
        EXPECT_EQ(this->readByANewGame(), "3\r\nBea\r\n") << oldMark;
    }
}

// A record made read-only is never written, and no save says it was.
TYPED_TEST_P(StoreContract, AFrozenRecordIsNeitherWrittenNorSaidSaved)
{
    const auto game = this->kind.game();
    game->open();
    ASSERT_EQ(game->saveIfBeaten("5", "Bea"), SaveOutcome::Saved);
    if constexpr (requires(TypeParam & k) { k.freeze(); }) {
        this->kind.freeze();
    } else {
        GTEST_SKIP() << "this kind of record can't be frozen yet";
    }
    EXPECT_EQ(game->saveIfBeaten("9", "Eva"), SaveOutcome::NotSaved);
    EXPECT_EQ(this->kind.game()->saveIfBeaten("10", "Ugo"), SaveOutcome::NotSaved);
    EXPECT_EQ(this->onDisk(), "5\r\nBea\r\n");
    EXPECT_EQ(this->readByANewGame(), "5\r\nBea\r\n");
}

TYPED_TEST_P(StoreContract, ANonFileStopsTheSaveNamingItAndLosesNothing)
{
    const auto game = this->kind.game();
    game->open();
    ASSERT_EQ(game->saveIfBeaten("5", "Bea"), SaveOutcome::Saved);
    for (const std::string name : {"ntavrec.txt", "ntavrec.txt.new", "tavrec.commit"}) {
        std::filesystem::remove(this->at(name));
        std::filesystem::create_directory(this->at(name));
        EXPECT_THAT(fatalMessage([&] { game->saveIfBeaten("9", "Eva"); }),
                    ::testing::HasSubstr(name));
        std::filesystem::remove(this->at(name));
        if (name != "tavrec.commit") this->put(name, "Bea\r\n"); // as the last save left it
        EXPECT_EQ(this->onDisk(), "5\r\nBea\r\n") << name;
        EXPECT_FALSE(this->committed()) << "committed first";
    }
}

// Another game holds the lock while it saves a better record, or only reads: a save takes
// the lock whole, so it waits for readers too.
TYPED_TEST_P(StoreContract, ASaveWaitsForTheLockAndComparesWithWhatWasSavedMeanwhile)
{
    this->kind.game()->open();
    auto lock = this->kind.holdLock();
    auto saving = this->kind.startSaving("15", "Bea");
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    bool seen = false;
    while (!(seen = saving.waitsForTheLockOrIsGone()) && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(seen) << "the other game neither waits for the lock nor ends";
    EXPECT_EQ(this->onDisk(), "") << "saved without the lock";
    this->put("tavrec.txt", "20\r\n");
    this->put("ntavrec.txt", "Ugo\r\n");
    lock.reset();
    saving.end(false);
    EXPECT_EQ(this->onDisk(), "20\r\nUgo\r\n");
}

REGISTER_TYPED_TEST_SUITE_P(StoreContract,
                            SavesOnlyWhatStrictlyBeatsTheRecordAsItIsNowAndShowsItRaw,
                            ACutSaveIsFinishedOnlyOnceItsMarkIsThere,
                            AFrozenRecordIsNeitherWrittenNorSaidSaved,
                            ANonFileStopsTheSaveNamingItAndLosesNothing,
                            ASaveWaitsForTheLockAndComparesWithWhatWasSavedMeanwhile);

// Games killed at random moments of their saves, drawn over one and a half times what a
// save takes here, until kills have landed both before and after the commit. After every
// kill the record read is the old pair or the new one; on disk the two files disagree only
// while the commit mark tells the next game to finish.
template <typename Kind> class KilledSave : public StoreContract<Kind> {
};
TYPED_TEST_SUITE_P(KilledSave);

TYPED_TEST_P(KilledSave, AGameKilledWhileSavingLeavesTheOldPairOrTheNew)
{
    using Clock = std::chrono::steady_clock;
    this->kind.game()->open();
    const std::string old = "10\r\nVecchio\r\n";
    // New pairs differ round by round: spares a save left must never pass for a later one.
    const auto startOnTheOldPair = [&](int round) {
        this->put("tavrec.txt", "10\r\n");
        this->put("ntavrec.txt", "Vecchio\r\n");
        return this->kind.startSaving(std::to_string(11 + round), "Nuovo" + std::to_string(round));
    };
    auto untouched = startOnTheOldPair(0);
    const auto started = Clock::now();
    untouched.end(false);
    std::uniform_int_distribution<Clock::rep> delay(0, (Clock::now() - started).count() * 3 / 2);
    std::mt19937 random(std::random_device{}());
    int oldPairs = 0, newPairs = 0, mixedOnDisk = 0;
    // A busy machine may hold every kill back past the commit, or slow every save down
    // past the kills: then, forty rounds at a time, kills come sooner or later. There,
    // where a game takes seconds to start (under Wine), a minute of rounds is enough
    // once both have been seen.
    const auto enough = Clock::now() + std::chrono::minutes(1);
    for (int round = 1;
         (round <= 120 && Clock::now() < enough) || (round <= 480 && (!oldPairs || !newPairs));
         ++round) {
        if (round > 120 && round % 40 == 1)
            delay = decltype(delay)(0, oldPairs ? delay.max() * 2 : delay.max() / 2);
        auto saving = startOnTheOldPair(round);
        for (const auto killAt = Clock::now() + Clock::duration(delay(random));
             Clock::now() < killAt;)
            std::this_thread::yield();
        saving.end(true);
        const std::string saved =
            std::to_string(11 + round) + "\r\nNuovo" + std::to_string(round) + "\r\n";
        if (const std::string now = this->onDisk(); now != old && now != saved) {
            EXPECT_TRUE(this->committed()) << now;
            ++mixedOnDisk;
        }
        const std::string pair = this->readByANewGame();
        oldPairs += pair == old;
        newPairs += pair == saved;
        ASSERT_EQ(oldPairs + newPairs, round) << pair;
    }
    std::printf("%d kills: %d read the old pair, %d the new one; %d left the files on disk "
                "mixed, with the mark\n",
                oldPairs + newPairs, oldPairs, newPairs, mixedOnDisk);
    EXPECT_GT(oldPairs, 0) << "no kill landed before the save was committed";
    EXPECT_GT(newPairs, 0) << "no kill landed after the save was committed";
    // Nor is anything else left in the folder (the Windows directory, often) for good.
    std::set<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(this->kind.folder()))
        left.insert(entry.path().filename().string());
    EXPECT_EQ(left, TypeParam::files);
}

REGISTER_TYPED_TEST_SUITE_P(KilledSave, AGameKilledWhileSavingLeavesTheOldPairOrTheNew);
