// The loading screen: a job that finishes at once and a failing job, with
// the update rate and the worker afterwards.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

#include "engine/athread/action_thread.h"
#include "tests/frontend/menu_fixture.h"

namespace MenuTest {
namespace {

class LoadingScreenRun : public TMenuFixture {};

std::atomic<int> Runs{0};
void QuickJob() { ++Runs; }
void FailingJob() { throw std::runtime_error("Cannot open file \"demo9.scn\"."); }

TEST_F(LoadingScreenRun, JobsEndTheScreenAndFailuresComeBack) {
  Clock.StepPerRead = 1;
  const struct {
    Main::TLoadingScreen::TWork Job;
    const char* Error;
  } cases[] = {{QuickJob, ""}, {FailingJob, "Cannot open file \"demo9.scn\"."}};
  for (const auto& c : cases) {
    std::string raised;
    try {
      LoadingScreen->Run(c.Job);
    } catch (const std::exception& e) {
      raised = e.what();
    }
    EXPECT_EQ(raised, c.Error);
    EXPECT_EQ(LoadingScreen->Worker, nullptr);
    EXPECT_FALSE(LoadingScreen->IsVisible());
    EXPECT_EQ(App->UpdatesPerSecond, 100);
  }
  EXPECT_EQ(Runs, 1);
}

}  // namespace
}  // namespace MenuTest
