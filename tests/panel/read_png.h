// A PNG the panel tests wrote, read back as a picture (drawing hosts only).
#pragma once

#if defined(QR_DRAWING)

#include <gtest/gtest.h>

#include <cairo.h>

#include <filesystem>

#include "host/picture/bitmap_source.h"
#include "host/picture/drawing.h"

inline panelhost::Picture ReadPng(const std::filesystem::path& path) {
    cairo_surface_t* surface = cairo_image_surface_create_from_png(path.string().c_str());
    EXPECT_EQ(cairo_surface_status(surface), CAIRO_STATUS_SUCCESS) << path;
    panelhost::Picture picture = cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS
                                     ? panelhost::PictureFromCanvas(surface)
                                     : panelhost::Picture();
    cairo_surface_destroy(surface);
    return picture;
}

#endif
