// A test fixture that keeps both registry roots in scratch folders of its own.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/core/Registry.h"
#include "platform/core/TestFolders.h"

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetRegistryRootFolder(HKEY_CURRENT_USER, user.Path() + "/store");
    SetRegistryRootFolder(HKEY_LOCAL_MACHINE, machine.Path() + "/store");
  }
  void TearDown() override {
    SetRegistryRootFolder(HKEY_CURRENT_USER, "");
    SetRegistryRootFolder(HKEY_LOCAL_MACHINE, "");
  }
  std::string UserKey(const std::string& path) const { return user.Path() + "/store/" + path; }
  std::string MachineKey(const std::string& path) const { return machine.Path() + "/store/" + path; }

  ScratchFolder user;
  ScratchFolder machine;
};
