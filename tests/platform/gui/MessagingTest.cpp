// Posted and sent messages: order, delivery to freed controls, ownership of posted records,
// posting from other threads, and exceptions raised by handlers.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "GuiTestSupport.h"
#include "platform/gui/Messaging.h"
#include "platform/gui/Synchronize.h"

using guitest::Pump;
using guitest::TLogControl;

namespace {

// A record that reports its own destruction.
class TRecord : public TObject {
 public:
  explicit TRecord(int* freed) : freed_(freed) {}
  ~TRecord() override { ++*freed_; }

 private:
  int* freed_;
};

TEST(MessagingTest, PostedMessagesArriveInOrderAfterSentOnes) {
  TLogControl control;
  PostMessage(&control, WM_USER + 1);
  PostMessage(&control, WM_USER + 2);
  SendMessage(&control, WM_USER + 9);
  PostMessage(&control, WM_USER + 3);
  EXPECT_EQ(control.Log, (std::vector<uint32_t>{WM_USER + 9}));
  Pump();
  EXPECT_EQ(control.Log, (std::vector<uint32_t>{WM_USER + 9, WM_USER + 1, WM_USER + 2, WM_USER + 3}));
}

TEST(MessagingTest, SentMessageReturnsTheHandlersResult) {
  TLogControl control;
  control.OnMessage = [](TMessage& m) {
    if (m.Msg == WM_USER + 4) m.Result = static_cast<LRESULT>(m.WParam + m.LParam);
  };
  EXPECT_EQ(SendMessage(&control, WM_USER + 4, 40, 2), 42);
  EXPECT_EQ(SendMessage(nullptr, WM_USER + 4, 40, 2), 0);
}

TEST(MessagingTest, MessagePostedToAFreedControlIsDroppedWithItsRecord) {
  int freed = 0;
  auto control = std::make_unique<TLogControl>();
  // A control at the same address later must not receive the old message either.
  EXPECT_TRUE(PostMessage(control.get(), WM_USER + 15, 0, 0, std::make_unique<TRecord>(&freed)));
  control.reset();
  TLogControl successor;
  Pump();
  EXPECT_EQ(freed, 1);
  EXPECT_TRUE(successor.Log.empty());
}

TEST(MessagingTest, RecordIsFreedAfterAnyHandlingUnlessTaken) {
  int freed = 0;
  TLogControl control;
  std::unique_ptr<TObject> kept;
  control.OnMessage = [&](TMessage& m) {
    if (m.Msg == WM_USER + 2) kept = std::move(m.Record);
  };
  PostMessage(&control, WM_USER + 1, 0, 0, std::make_unique<TRecord>(&freed));  // ignored kind
  PostMessage(&control, WM_USER + 2, 0, 0, std::make_unique<TRecord>(&freed));  // taken
  Pump();
  EXPECT_EQ(freed, 1);
  ASSERT_NE(kept, nullptr);
  kept.reset();
  EXPECT_EQ(freed, 2);
  // Without a target the record is freed at once.
  EXPECT_FALSE(PostMessage(nullptr, WM_USER, 0, 0, std::make_unique<TRecord>(&freed)));
  EXPECT_EQ(freed, 3);
}

TEST(MessagingTest, MessagesPostedFromAnotherThreadRunOnTheGuiThread) {
  TLogControl control;
  std::thread::id handledOn;
  control.OnMessage = [&](TMessage& m) {
    if (m.Msg == WM_USER + 7) handledOn = std::this_thread::get_id();
  };
  std::thread worker([&] {
    for (int i = 0; i < 50; ++i) PostMessage(&control, WM_USER + 7, static_cast<WPARAM>(i));
  });
  worker.join();
  Pump();
  EXPECT_EQ(control.Log.size(), 50u);
  EXPECT_EQ(handledOn, std::this_thread::get_id());
}

TEST(MessagingTest, ExceptionInAPostedHandlerGoesToTheApplication) {
  TLogControl control;
  control.OnMessage = [](TMessage& m) {
    if (m.Msg == WM_USER + 5) throw EInvalidOperation("handler failed");
  };
  std::string seen;
  TObject* sender = nullptr;
  Application->OnException = [&](TObject* s, const std::exception& e) {
    sender = s;
    seen = e.what();
  };
  PostMessage(&control, WM_USER + 5);
  PostMessage(&control, WM_USER + 6);
  Pump();
  Application->OnException = nullptr;
  EXPECT_EQ(seen, "handler failed");
  EXPECT_EQ(sender, &control);
  // The queue went on after the failure.
  EXPECT_EQ(control.Log.back(), WM_USER + 6);
}

TEST(MessagingTest, UnhandledExceptionIsShownAndTheProgramGoesOn) {
  TLogControl control;
  control.OnMessage = [](TMessage& m) {
    if (m.Msg == WM_USER + 5) throw Exception("Disk full");
  };
  Application->SetTitle("ZUK Converter");
  testing::internal::CaptureStderr();
  PostMessage(&control, WM_USER + 5);
  Pump();
  const std::string printed = testing::internal::GetCapturedStderr();
  EXPECT_EQ(printed, "ZUK Converter: Disk full.\n");
}

}  // namespace

namespace {

TEST(SynchronizeTest, WorkerCallsRunOnTheGuiThreadAndWait) {
  std::thread::id ranOn;
  std::atomic<int> value = 0;
  bool returned = false;
  std::thread worker([&] {
    returned = Synchronize([&] {
      ranOn = std::this_thread::get_id();
      value = 42;
    });
    value += 1;  // after the call has run
  });
  // The GUI thread waits for the worker while running what it hands over.
  while (!guitest::PumpUntil([&] { return value == 43; }, 50)) {
  }
  worker.join();
  EXPECT_TRUE(returned);
  EXPECT_EQ(ranOn, std::this_thread::get_id());
  EXPECT_EQ(value, 43);
}

TEST(SynchronizeTest, ExceptionsReachTheWorkerAndGuiThreadCanDrainWhileJoining) {
  std::string caught;
  std::atomic<bool> finished = false;
  std::thread worker([&] {
    try {
      Synchronize([] { throw Exception("on the GUI thread"); });
    } catch (const Exception& e) {
      caught = e.what();
    }
    finished = true;
  });
  // Joining without a message loop: CheckSynchronize keeps the worker from waiting forever.
  while (!finished) CheckSynchronize();
  worker.join();
  EXPECT_EQ(caught, "on the GUI thread");
  EXPECT_TRUE(IsGuiThread());
  int direct = 0;
  EXPECT_TRUE(Synchronize([&] { direct = 1; }));  // the GUI thread runs it at once
  EXPECT_EQ(direct, 1);
}

}  // namespace
