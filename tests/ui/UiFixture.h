// A fresh offscreen display for each test.
#pragma once
#include "platform/ui/OffscreenBackend.h"
#include "platform/ui/WindowManager.h"
#include <gtest/gtest.h>
#include <memory>

class UiTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto b = std::make_unique<COffscreenBackend>();
        m_pScreen = b.get();
        CWindowManager::Instance().SetBackend(std::move(b));
    }
    void TearDown() override { CWindowManager::Instance().SetBackend(nullptr); }
    COffscreenBackend& Screen() { return *m_pScreen; }

private:
    COffscreenBackend* m_pScreen = nullptr;
};
