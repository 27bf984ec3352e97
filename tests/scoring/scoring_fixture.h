#pragma once
// Shared set-up of the scoring tests: fresh globals, a data folder of the
// test's own, and filler counts a test can script.
#include "platform/random.h"
#include "platform/textfile.h"
#include "shell/module1.h"
#include "support/doubles/scripted_random.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <deque>
#include <memory>
#include <ostream>
#include <stdexcept>

// Readable QString values in failure messages.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace scoringtest {

// Every fresh generator the scrambling asks for gets the next scripted
// filler count; a draw nobody scripted fails the test at once.
struct ScriptedFillers {
    std::shared_ptr<std::deque<int64_t>> counts = std::make_shared<std::deque<int64_t>>();
    std::shared_ptr<int> generators = std::make_shared<int>(0);

    void install() const
    {
        auto q = counts;
        auto made = generators;
        platform::setRandomFactory([q, made]() -> std::unique_ptr<platform::Random> {
            ++*made;
            if (q->empty())
                throw std::logic_error("a random generator was made that the test did not script");
            auto r = std::make_unique<platform::ScriptedRandom>();
            r->script.push_back(q->front());
            q->pop_front();
            return r;
        });
    }
    void push(int64_t a) const { counts->push_back(a); }
    void pushRepeated(int64_t a, int times) const
    {
        for (int i = 0; i < times; ++i)
            counts->push_back(a);
    }
};

class ScoringFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        Module1::initialise();
        ASSERT_TRUE(dir.isValid());
        platform::setDataFolder(dir.path());
        fillers.install();
    }
    void TearDown() override
    {
        Module1::initialise(); // drops the stream before any backend goes away
        platform::setRandomFactory(nullptr);
        platform::setDataFolder(QString());
    }

    QTemporaryDir dir;
    ScriptedFillers fillers;
};

} // namespace scoringtest
