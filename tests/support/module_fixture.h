// A fixture whose host has the built module loaded before each test.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "host/core/panel_host.h"

class BuiltModuleTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(host.Load(QR_MODULE_PATH, &error)) << error;
    }
    panelhost::Host host;
};
