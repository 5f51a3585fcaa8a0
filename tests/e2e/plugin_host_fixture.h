// A reference host with the real plug-in loaded, the dialog robot ready and the
// stand-in's logs cleared; every test ends with no broken host contract.
#pragma once

#include <gtest/gtest.h>

#include "e2e_support.h"
#include "host/dialog_robot.h"
#include "host/plugin_host.h"
#include "platform/standin_control.h"

namespace e2e {

class PluginHostTest : public ::testing::Test {
  protected:
    void SetUp() override {
        standin::ClearDebugLog();
        standin::ClearMessageBoxLog();
        ASSERT_TRUE(h.load(pluginPath())) << h.error();
        robot.install();
    }
    void TearDown() override {
        robot.uninstall();
        EXPECT_TRUE(h.misuses.empty()) << h.misuses.front();
    }
    host::PluginHost h;
    host::DialogRobot robot;
};

} // namespace e2e
