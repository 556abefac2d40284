// Tests of units that show forms or boxes: an application object for each test suite.
#pragma once

#include <gtest/gtest.h>

#include "platform/gui/Application.h"

class ApplicationTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (Application == nullptr) app_ = new TApplication();
  }
  static void TearDownTestSuite() {
    delete app_;
    app_ = nullptr;
  }

 private:
  static inline TApplication* app_ = nullptr;
};
