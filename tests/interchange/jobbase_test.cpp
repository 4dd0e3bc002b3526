#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "interchange/location.h"
#include "interchange/tkelmorinout.h"
#include "interchange/versiontext.h"
#include "tests/testsupport/dbfixture.h"

namespace kelmor {
namespace {

// A job whose work the test supplies.
class TTestJob : public TKelmorInOut {
public:
    TTestJob(TKelmorClass& engine, const std::string& location, std::function<void(TTestJob&)> work)
        : TKelmorInOut(nullptr, location, "file", engine), work_(std::move(work)) {}
    ~TTestJob() override { Wait(); }
    using TKelmorInOut::FindOrCreatePath;
    using TKelmorInOut::Progress;

protected:
    void Execute() override { work_(*this); }

private:
    std::function<void(TTestJob&)> work_;
};

using JobTest = test::DatabaseTest;

TEST_F(JobTest, LocationsAreNormalisedAndResolvedToAStartNode) {
    const int32_t a = AddNode("A");
    const int32_t b = AddNode("B", a);
    struct TCase {
        const char* location;
        int32_t node;
    };
    for (const TCase& c :
         {TCase{"Root", 0}, TCase{"\\Root", 0}, TCase{"", 0}, TCase{"\\", 0}, TCase{"Root\\A\\B", b},
          TCase{"\\Root\\A\\B", b}, TCase{"A\\b", b}, TCase{"a", a}, TCase{"root\\A", -1}, TCase{"A\\C", -1}}) {
        TTestJob job(engine, c.location, [](TTestJob&) {});
        EXPECT_EQ(job.StartNode(), c.node) << c.location;
        EXPECT_EQ(job.ResultCode(), c.node < 0 ? TKelmorInOut::kUnknownLocation : 0) << c.location;
    }
    EXPECT_EQ(NormaliseLocation("\\Root\\A"), "A");
    EXPECT_EQ(NormaliseLocation("RootBeer\\Cask"), "RootBeer\\Cask");  // a node whose name begins with Root
    EXPECT_EQ(NormaliseLocation("\\RootBeer"), "RootBeer");
}

TEST_F(JobTest, FindOrCreatePathComparesExactlyAndCreatesTheRest) {
    const int32_t a = AddNode("A");
    TTestJob job(engine, "Root", [](TTestJob&) {});
    EXPECT_EQ(job.FindOrCreatePath("A"), a);
    EXPECT_EQ(job.FindOrCreatePath(""), 0);
    const int32_t created = job.FindOrCreatePath("A\\new\\deeper");
    EXPECT_EQ(engine.GetNodePath(created), "A\\new\\deeper");
    EXPECT_EQ(engine.GetParent(engine.GetParent(created)), a);
    const int32_t other = job.FindOrCreatePath("a");  // letter case matters here
    EXPECT_NE(other, a);
    EXPECT_EQ(engine.GetParent(other), 0);
}

TEST_F(JobTest, AJobRunsOnItsThreadReportsErrorsAndCanBeAborted) {
    std::mutex mutex;
    std::condition_variable changed;
    bool running = false, completed = false;
    std::vector<std::string> texts;
    TTestJob job(engine, "Root", [&](TTestJob& self) {
        {
            std::lock_guard lock(mutex);
            running = true;
        }
        changed.notify_all();
        while (!self.AbortRequested()) std::this_thread::yield();
        throw EKelmorAccessDenied();
    });
    job.SetOnCompleted([&](TKelmorInOut&) {
        std::lock_guard lock(mutex);
        completed = true;
    });
    job.Start();
    {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return running; });
    }
    job.RequestAbort();
    job.Wait();
    EXPECT_TRUE(completed);
    EXPECT_EQ(job.ResultCode(), TKelmorInOut::kError);
    EXPECT_EQ(job.ErrorMessage(), "Access Denied");
}

TEST(VersionText, IsMajorDotMinor) {
    const std::string text = VersionText();
    ASSERT_NE(text.find('.'), std::string::npos);
    EXPECT_EQ(text.find('.', text.find('.') + 1), std::string::npos);
    EXPECT_EQ(text, "1.0");
}

}  // namespace
}  // namespace kelmor
