// Test fixture: a numbered in-memory dataset watched by a data link whose window size is
// the test parameter, so every case also runs with a multi-row buffer ring.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "MemDataSet.h"
#include "data/DataLink.h"
#include "data/DataSource.h"

namespace datatest {

class WindowedFixture : public ::testing::TestWithParam<int> {
protected:
    void Make(int rows) {
        ds_ = MakeNumbered(rows);
        source_ = std::make_unique<data::DataSource>(ds_.get());
        window_.SetBufferCount(GetParam());
        window_.SetDataSource(source_.get());
        ds_->Open();
    }
    void TearDown() override { window_.SetDataSource(nullptr); }

    std::unique_ptr<MemDataSet> ds_;
    std::unique_ptr<data::DataSource> source_;
    data::DataLink window_;
};

}  // namespace datatest
