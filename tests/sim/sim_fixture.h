// A virtual regulator on a fresh pseudo-terminal with one client on it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "pty_client.h"
#include "sim/virtual_regulator.h"

namespace simtest {

// The version line of a virtual regulator left at its defaults.
inline const std::string kVersion = "TQ-REG V0.215 virtual";

class SimFixture : public ::testing::Test {
protected:
    void startSim(sim::SimOptions options = {})
    {
        sim_ = std::make_unique<sim::VirtualRegulator>(options);
        std::string error;
        ASSERT_TRUE(sim_->start(&error)) << error;
        ASSERT_TRUE(client_.open(sim_->slavePath())) << sim_->slavePath();
    }
    void SetUp() override { startSim(); }
    void TearDown() override
    {
        client_.close();
        if (sim_)
            sim_->stop();
    }

    // Data line of a one-line query.
    std::string query(const std::string& command)
    {
        const auto lines = client_.transact(command + "\r");
        EXPECT_EQ(lines.size(), 2u) << command;
        return lines.size() >= 2 ? lines[1] : std::string();
    }

    std::unique_ptr<sim::VirtualRegulator> sim_;
    PtyClient client_;
};

}  // namespace simtest
