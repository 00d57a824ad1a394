#pragma once
// Every command test starts from the state of process start with one model
// selected, as the main window leaves it.

#include <gtest/gtest.h>

#include <memory>

#include "catalogue/shared_state.h"
#include "tests/support/model_selection.h"
#include "tests/support/scripted_link.h"

class ProtocolTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetSharedState(); }
  void TearDown() override { ResetSharedState(); }

  // A fresh link, with the model selected and hSerial pointing at it.
  plctest::ScriptedLink& Fresh(const char* model) {
    ResetSharedState();
    plctest::SelectModel(model);
    link_ = std::make_unique<plctest::ScriptedLink>();
    hSerial = link_.get();
    return *link_;
  }

  std::unique_ptr<plctest::ScriptedLink> link_;
};
