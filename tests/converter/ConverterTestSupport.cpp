#include "ConverterTestSupport.h"

#include <chrono>
#include <memory>
#include <thread>

#include "platform/gui/Application.h"

namespace progtest {

void Pump(int rounds) {
  for (int i = 0; i < rounds; ++i) Application->ProcessMessages();
}

bool PumpUntil(const std::function<bool()>& done, int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!done() && std::chrono::steady_clock::now() < end) {
    Application->ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return done();
}

namespace {
// One application object for the whole test program.
class ApplicationEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { app_ = std::make_unique<TApplication>(); }
  void TearDown() override { app_.reset(); }

 private:
  std::unique_ptr<TApplication> app_;
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);
}  // namespace

}  // namespace progtest
