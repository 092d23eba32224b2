#include "tests/support/FreshProcess.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "serial/RS232.h"
#include "tests/support/SingletonReset.h"
#include "tools/Clock.h"
#include "tools/FileHook.h"

namespace kestrel::testing {
namespace {

// Variables that tests set for the service or the calendar.
constexpr const char* kTouchedVariables[] = {"KESTREL_REGISTRY", "TZ"};

struct SavedVariable {
  std::string name;
  std::optional<std::string> value;
};

std::vector<SavedVariable>& Saved() {
  static std::vector<SavedVariable> saved = [] {
    std::vector<SavedVariable> list;
    for (const char* name : kTouchedVariables) {
      const char* value = std::getenv(name);
      list.push_back({name, value != nullptr ? std::optional<std::string>(value) : std::nullopt});
    }
    return list;
  }();
  return saved;
}

std::vector<std::function<void()>>& ExtraSteps() {
  static std::vector<std::function<void()>> steps;
  return steps;
}

class FreshProcessListener : public ::testing::EmptyTestEventListener {
  // Runs before the fixture is constructed, so a fixture's members see
  // freshly created objects.
  void OnTestStart(const ::testing::TestInfo&) override { ResetProcessState(); }
};

}  // namespace

void ResetProcessState() {
  clock::SetSleepHook(nullptr);
  clock::SetNowHook(nullptr);
  file_hook::SetHook(nullptr);
  RS232::SetDeviceFactoryForTests(nullptr);
  SingletonReset::All();
  for (const SavedVariable& variable : Saved()) {
    if (variable.value) {
      ::setenv(variable.name.c_str(), variable.value->c_str(), 1);
    } else {
      ::unsetenv(variable.name.c_str());
    }
  }
  ::tzset();
  for (const auto& step : ExtraSteps()) step();
}

void AlsoResetBeforeEachTest(std::function<void()> step) { ExtraSteps().push_back(std::move(step)); }

void InstallFreshProcessListener() {
  Saved();  // the environment as the program found it
  ::testing::UnitTest::GetInstance()->listeners().Append(new FreshProcessListener);
}

}  // namespace kestrel::testing
