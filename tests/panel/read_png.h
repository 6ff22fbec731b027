// A PNG the panel tests wrote, read back as a picture through the host's
// painter (cairo natively, GDI+ under Windows).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "host/picture/bitmap_source.h"
#include "host/picture/painter.h"

inline panelhost::Picture ReadPng(const std::filesystem::path& path) {
    const std::optional<panelhost::Picture> picture = panelhost::ReadPngFile(path.string());
    EXPECT_TRUE(picture) << path;
    return picture.value_or(panelhost::Picture());
}
