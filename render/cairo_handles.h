#pragma once

// Owning handles for cairo's surfaces and contexts, so that every way out of a drawing
// function lets them go.

#include <cairo.h>

#include <memory>

namespace spanwright {

struct CairoSurfaceRelease {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct CairoContextRelease {
    void operator()(cairo_t* cr) const { cairo_destroy(cr); }
};
using Surface = std::unique_ptr<cairo_surface_t, CairoSurfaceRelease>;
using Context = std::unique_ptr<cairo_t, CairoContextRelease>;

}  // namespace spanwright
