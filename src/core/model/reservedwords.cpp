#include "core/model/reservedwords.h"

#include <algorithm>
#include <array>

namespace {

// The reserved words of POV-Ray 3.7 and 3.8, sorted for a binary search.
constexpr std::array<std::string_view, 524> kReservedWords = {
    "aa_level", "aa_threshold", "abs", "absorption", "accuracy", "acos", "acosh", "adaptive",
    "adc_bailout", "agate", "agate_turb", "albedo", "all", "all_intersections", "alpha",
    "altitude", "always_sample", "ambient", "ambient_light", "angle", "anisotropy", "aoi",
    "aperture", "append", "arc_angle", "area_illumination", "area_light", "array", "asc", "ascii",
    "asin", "asinh", "assumed_gamma", "atan", "atan2", "atanh", "autostop", "average", "b_spline",
    "background", "bezier_spline", "bicubic_patch", "bitwise_and", "bitwise_or", "bitwise_xor",
    "black_hole", "blend_gamma", "blend_mode", "blob", "blue", "blur_samples", "bmp", "bokeh",
    "bounded_by", "box", "boxed", "bozo", "break", "breakpoint", "brick", "brick_size",
    "brightness", "brilliance", "bt2020", "bt709", "bump_map", "bump_size", "bumps", "camera",
    "case", "caustics", "ceil", "cells", "charset", "checker", "chr", "circular", "clipped_by",
    "clock", "clock_on", "cmap", "collect", "color", "color_map", "colour", "colour_map",
    "component", "composite", "concat", "cone", "confidence", "conic_sweep", "conserve_energy",
    "contained_by", "control0", "control1", "coords", "cos", "cosh", "count", "crackle", "crand",
    "cube", "cubic", "cubic_spline", "cubic_wave", "cutaway_textures", "cylinder", "cylindrical",
    "datetime", "debug", "declare", "default", "defined", "degrees", "density", "density_file",
    "density_map", "dents", "deprecated", "df3", "dictionary", "difference", "diffuse",
    "dimension_size", "dimensions", "direction", "disc", "dispersion", "dispersion_samples",
    "dist_exp", "distance", "distance_maximum", "div", "double_illuminate", "dtag", "eccentricity",
    "else", "elseif", "emission", "end", "error", "error_bound", "evaluate", "exp",
    "expand_thresholds", "exponent", "exr", "exterior", "extinction", "face_indices", "facets",
    "fade_color", "fade_colour", "fade_distance", "fade_power", "falloff", "falloff_angle",
    "false", "fclose", "file_exists", "filter", "finish", "fisheye", "flatness", "flip", "floor",
    "focal_point", "fog", "fog_alt", "fog_offset", "fog_type", "fopen", "for", "form", "frequency",
    "fresnel", "function", "gamma", "gather", "gif", "global", "global_lights", "global_settings",
    "gradient", "granite", "gray", "gray_threshold", "green", "grey", "grey_threshold", "hdr",
    "height_field", "hexagon", "hf_gray_16", "hf_grey_16", "hierarchy", "hollow", "hypercomplex",
    "if", "ifdef", "iff", "ifndef", "image_map", "image_pattern", "importance", "include",
    "inside", "inside_vector", "int", "interior", "interior_texture", "internal", "interpolate",
    "intersection", "intervals", "inverse", "ior", "irid", "irid_wavelength", "isosurface",
    "jitter", "jpeg", "julia", "julia_fractal", "lambda", "lathe", "lemon", "leopard",
    "light_group", "light_source", "linear_spline", "linear_sweep", "ln", "load_file", "local",
    "location", "log", "look_at", "looks_like", "low_error_factor", "macro", "magnet",
    "major_radius", "mandel", "map_type", "marble", "material", "material_map", "matrix", "max",
    "max_extent", "max_gradient", "max_intersections", "max_iteration", "max_sample", "max_trace",
    "max_trace_level", "maximum_reuse", "media", "media_attenuation", "media_interaction", "merge",
    "mesh", "mesh2", "mesh_camera", "metallic", "method", "metric", "min", "min_extent",
    "minimum_reuse", "mixed", "mm_per_unit", "mod", "mortar", "natural_spline", "nearest_count",
    "no", "no_bump_scale", "no_image", "no_radiosity", "no_reflection", "no_shadow",
    "noise_generator", "normal", "normal_indices", "normal_map", "normal_vectors", "now",
    "number_of_sides", "number_of_tiles", "number_of_waves", "obj", "object", "octaves", "off",
    "offset", "omega", "omnimax", "on", "once", "onion", "open", "optional", "orient",
    "orientation", "orthographic", "ovus", "panoramic", "parallel", "parametric", "pass_through",
    "pattern", "pavement", "perspective", "pgm", "phase", "phong", "phong_size", "photons", "pi",
    "pigment", "pigment_map", "pigment_pattern", "planar", "plane", "png", "point_at", "polarity",
    "poly", "poly_wave", "polygon", "polynomial", "pot", "potential", "pow", "ppm", "precision",
    "precompute", "prefix", "premultiplied", "pretrace_end", "pretrace_start", "prism", "prod",
    "projected_through", "pwr", "quadratic_spline", "quadric", "quartic", "quaternion",
    "quick_color", "quick_colour", "quilted", "radial", "radians", "radiosity", "radius",
    "rainbow", "ramp_wave", "rand", "range", "ratio", "read", "reciprocal", "recursion_limit",
    "red", "reflection", "reflection_exponent", "refraction", "render", "repeat", "rgb", "rgbf",
    "rgbft", "rgbt", "right", "ripples", "rotate", "roughness", "samples", "save_file", "sblue",
    "scale", "scallop_wave", "scattering", "seed", "select", "sgreen", "shadowless", "sin",
    "sine_wave", "sinh", "sint16be", "sint16le", "sint32be", "sint32le", "sint8", "size", "sky",
    "sky_sphere", "slice", "slope", "slope_map", "smooth", "smooth_triangle", "solid", "sor",
    "spacing", "specular", "sphere", "sphere_sweep", "spherical", "spiral1", "spiral2", "spline",
    "split_union", "spotlight", "spotted", "sqr", "sqrt", "square", "sred", "srgb", "srgbf",
    "srgbft", "srgbt", "statistics", "steps", "str", "strcmp", "strength", "strlen", "strlwr",
    "strupr", "sturm", "substr", "subsurface", "suffix", "sum", "superellipsoid", "switch", "sys",
    "t", "tan", "tanh", "target", "tau", "text", "texture", "texture_list", "texture_map", "tga",
    "thickness", "threshold", "tiff", "tightness", "tile2", "tiles", "tiling", "tolerance",
    "toroidal", "torus", "trace", "transform", "translate", "translucency", "transmit", "triangle",
    "triangle_wave", "triangular", "true", "ttf", "turb_depth", "turbulence", "type", "u",
    "u_steps", "uint16be", "uint16le", "uint8", "ultra_wide_angle", "undef", "union", "unofficial",
    "up", "use_alpha", "use_color", "use_colour", "use_index", "user_defined", "utf8",
    "uv_indices", "uv_mapping", "uv_vectors", "v", "v_steps", "val", "variance", "vaxis_rotate",
    "vcross", "vdot", "version", "vertex_vectors", "vlength", "vnormalize", "vrotate", "vstr",
    "vturbulence", "warning", "warp", "water_level", "waves", "while", "width", "wood", "wrinkles",
    "write", "x", "xyz", "y", "yes", "z",
};

} // namespace

bool IsPovRayReservedWord(std::string_view word) {
    return std::binary_search(kReservedWords.begin(), kReservedWords.end(), word);
}
