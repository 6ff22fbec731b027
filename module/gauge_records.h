// Records shared between the panel host and the gauge module.
//
// Every gauge is a gauge header, a tree of element records, a list of mouse
// rectangles and a few routines. The module fills the fields it owns at build
// time with designated initializers; the host keeps a private copy of every
// record per placed instance and writes its own fields into that copy.
// Fields appear in the order of the host's records; the host-owned fields
// sit where the host expects them.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32) && !defined(_WIN64)
#define FSAPI __stdcall
#else
#define FSAPI
#endif

// Marks the module's two exported records (declared inside extern "C").
#if defined(_WIN32)
#define QR_EXPORT __declspec(dllexport)
#else
#define QR_EXPORT __attribute__((visibility("default")))
#endif

using FLOAT64 = double;
using FLOAT32 = float;
using SINT32 = std::int32_t;
using UINT32 = std::uint32_t;

struct GAUGEHDR;
struct ELEMENT_HEADER;
struct MOUSERECT;
struct PIXPOINT {
    SINT32 x{};
    SINT32 y{};
};

// Gauge service notifications (gauge routine's service number): what the
// host is about to do, or has done, to the gauge.
enum : UINT32 {
    PANEL_SERVICE_PRE_QUERY = 0,          // the host looks the gauge up
    PANEL_SERVICE_POST_QUERY = 1,
    PANEL_SERVICE_PRE_INSTALL = 2,        // placed: records copied, parameters in the header
    PANEL_SERVICE_POST_INSTALL = 3,
    PANEL_SERVICE_PRE_INITIALIZE = 4,     // before the first frame
    PANEL_SERVICE_POST_INITIALIZE = 5,
    PANEL_SERVICE_PRE_UPDATE = 6,         // every frame, before the elements read their values
    PANEL_SERVICE_POST_UPDATE = 7,        // every frame, after them
    PANEL_SERVICE_PRE_GENERATE = 8,       // pictures about to be built
    PANEL_SERVICE_POST_GENERATE = 9,
    PANEL_SERVICE_PRE_DRAW = 10,          // drawing into the window
    PANEL_SERVICE_POST_DRAW = 11,
    PANEL_SERVICE_PRE_KILL = 12,          // the instance is about to go
    PANEL_SERVICE_POST_KILL = 13,         // gone: nothing of it may be used again
    PANEL_SERVICE_CONNECT_TO_WINDOW = 14, // its window exists; services may be called
    PANEL_SERVICE_DISCONNECT = 15,
    PANEL_SERVICE_PANEL_OPEN = 16,        // its window opened
    PANEL_SERVICE_PANEL_CLOSE = 17,       // and closed
};

// Element kinds: what an element record is after its common header.
enum : UINT32 {
    ELEMENT_TYPE_STATIC_IMAGE = 0,  // a bitmap where it lies
    ELEMENT_TYPE_NEEDLE = 1,        // turned about a pivot by a value
    ELEMENT_TYPE_STRING = 2,        // text a routine writes
    ELEMENT_TYPE_SLIDER = 3,        // a bitmap moved along x and y
    ELEMENT_TYPE_ICON = 4,          // one of several pictures, by value
    ELEMENT_TYPE_MOVING_IMAGE = 5,  // a strip seen through a window (drums)
    ELEMENT_TYPE_SPRITE = 6,        // a texture moved and turned behind a window
};

// Image flags: how the host draws an element's bitmap.
enum : UINT32 {
    IMAGE_USE_TRANSPARENCY = 0x1,   // black is see-through
    IMAGE_USE_ERASE = 0x2,          // the old picture is wiped before the new one
    IMAGE_USE_BRIGHT = 0x4,         // full brightness, day and night
    IMAGE_BILINEAR_COLOR = 0x80,    // smoothed when turned or scaled
    IMAGE_USE_LUMINOUS = 0x4000,    // lit by the panel lights at night
    IMAGE_ON_SCREEN = 0x80000000u,  // host-owned: shown since the last draw
};

// The flag sets the module's pictures use.
enum : UINT32 {
    IMAGE_PLATE = IMAGE_USE_ERASE | IMAGE_USE_TRANSPARENCY,  // plates, covers, switches
    IMAGE_LAMP = IMAGE_PLATE | IMAGE_USE_BRIGHT,             // lamps, bright at night
    IMAGE_KNOB = IMAGE_PLATE | IMAGE_BILINEAR_COLOR,         // turning knobs, glass
    IMAGE_DIAL = IMAGE_PLATE | IMAGE_USE_LUMINOUS,           // lit dials
    IMAGE_NEEDLE = IMAGE_DIAL | IMAGE_BILINEAR_COLOR,        // lit moving parts
};

// Failure keys used by this module's gauges.
enum : SINT32 {
    FAIL_NONE = 0,
    FAIL_SYSTEM_ENGINE = 2,
    FAIL_SYSTEM_PITOT_STATIC = 3,
    FAIL_SYSTEM_VACUUM = 4,
    FAIL_GAUGE_ADF = 5,
    FAIL_GAUGE_AIRSPEED = 6,
    FAIL_GAUGE_ALTIMETER = 7,
    FAIL_GAUGE_ATTITUDE = 8,
    FAIL_GAUGE_COMMUNICATIONS = 9,
    FAIL_GAUGE_GYRO_HEADING = 11,
    FAIL_GAUGE_MAGNETIC_COMPASS = 12,
    FAIL_GAUGE_NAVIGATION_VOR1 = 14,
    FAIL_GAUGE_NAVIGATION_VOR2 = 15,
    FAIL_GAUGE_TRANSPONDER = 17,
    FAIL_GAUGE_TURN_COORDINATOR = 18,
    FAIL_GAUGE_VERTICAL_SPEED = 19,
    FAIL_SYSTEM_ELECTRICAL_PANELS = 20,
    FAIL_SYSTEM_ELECTRICAL_AVIONICS = 21,
};

// Failure actions: what an element does while its failure key is failed.
enum : SINT32 {
    FAIL_ACTION_NONE = 0,     // goes on as if sound
    FAIL_ACTION_FREEZE = 1,   // keeps what it showed
    FAIL_ACTION_ZERO = 2,     // reads 0 for its values
    FAIL_ACTION_NO_DRAW = 3,  // is not drawn
};

struct FAILURE_RECORD {
    SINT32 key{};     // 0 ends the list
    SINT32 action{};
    SINT32 reserved{};
};

// A token value: a 64-bit float, or a 32-bit integer in the first four bytes.
union MODULE_VAR_VALUE {
    FLOAT64 n{};
    SINT32 d;
    UINT32 u;
};

struct MODULE_VAR {
    SINT32 id{};              // token number; 0 = no token
    void* ptr{};              // host-owned
    SINT32 type{};            // host-owned
    MODULE_VAR_VALUE var_value{};
    MODULE_VAR_VALUE var_old{};  // host-owned previous value
};

struct NONLINEARITY {
    PIXPOINT pt{};     // point on the background the needle aims at
    FLOAT64 value{};
    FLOAT64 degrees{}; // filled in by the host at install
};

// Common part of every element record.
struct ELEMENT_HEADER {
    UINT32 element_type{};
    SINT32 resource_id{};            // bitmap; -1 for strings
    PIXPOINT position{};
    PIXPOINT previous_position{};    // host-owned
    PIXPOINT ofs{};                  // needle pivot / sprite rotation centre
    GAUGEHDR* gauge_header{};
    ELEMENT_HEADER* previous_element{};  // host-owned
    ELEMENT_HEADER** next_element{};     // null-terminated list drawn on top
    FAILURE_RECORD* failure_systems{};
    UINT32 image_flags{};
    UINT32 aircraft_special_instrumentation{};
    UINT32 reserved{};
};

// The routine an element calls for a value it shows in place of its token's.
template <typename Element>
using ElementRoutine = FLOAT64(FSAPI*)(Element*);

struct ELEMENT_STATIC_IMAGE {
    ELEMENT_HEADER header{};
};

using NEEDLE_UPDATE_CALLBACK = ElementRoutine<struct ELEMENT_NEEDLE>;
struct ELEMENT_NEEDLE {
    ELEMENT_HEADER header{};
    MODULE_VAR source_var{};
    NONLINEARITY* nonlinearity{};
    SINT32 nonlinearity_table_size{};
    FLOAT64 max_degrees_per_tick{};
    NEEDLE_UPDATE_CALLBACK update_cb{};
    FLOAT64 save_value{};    // host-owned: value shown last
    FLOAT64 save_degrees{};  // host-owned: angle shown last
};

using STRING_UPDATE_CALLBACK = ElementRoutine<struct ELEMENT_STRING>;
inline constexpr std::size_t FONT_FACE_SIZE = 32;
struct ELEMENT_STRING {
    ELEMENT_HEADER header{};
    MODULE_VAR source_var[3]{};
    PIXPOINT img_size{};       // text box width and height
    UINT32 fg_color{};
    UINT32 bg_color{};
    UINT32 hilite_color{};
    char font_name[FONT_FACE_SIZE]{};
    SINT32 font_weight{};
    UINT32 font_charset{};
    UINT32 draw_text_flags{};
    UINT32 max_string_length{};  // number of characters
    STRING_UPDATE_CALLBACK update_cb{};
    char* string{};            // host-owned text buffer, max_string_length + 1 bytes
    FLOAT64 save_value{};      // host-owned
};

using SLIDER_UPDATE_CALLBACK = ElementRoutine<struct ELEMENT_SLIDER>;
struct ELEMENT_SLIDER {
    ELEMENT_HEADER header{};
    MODULE_VAR source_var_x{};  // the value that moves it across
    FLOAT64 scale_x{};          // pixels per unit of that value
    MODULE_VAR source_var_y{};  // and down
    FLOAT64 scale_y{};
    SLIDER_UPDATE_CALLBACK update_x_cb{};  // the x value in place of the token's
    SLIDER_UPDATE_CALLBACK update_y_cb{};
    FLOAT64 save_x{};  // host-owned: the shift shown last
    FLOAT64 save_y{};  // host-owned
};

using ICON_UPDATE_CALLBACK = ElementRoutine<struct ELEMENT_ICON>;
struct ELEMENT_ICON {
    ELEMENT_HEADER header{};
    MODULE_VAR source_var{};
    FLOAT64 scale{};        // the value times this is the picture shown
    SINT32 picture_count{}; // pictures: bitmap, bitmap + 1, ...
    UINT32 switch_type{};   // 0 in every icon of the module
    SINT32 switch_offset{}; // 0 in every icon of the module
    ICON_UPDATE_CALLBACK update_cb{};
    FLOAT64 save_value{};   // host-owned
};

using MOVING_IMAGE_UPDATE_CALLBACK = ElementRoutine<struct ELEMENT_MOVING_IMAGE>;
struct ELEMENT_MOVING_IMAGE {
    ELEMENT_HEADER header{};
    MODULE_VAR source_var_x{};
    FLOAT64 min_x{};  // the value that shows the strip's left end in the window
    FLOAT64 max_x{};  // and its right end
    MODULE_VAR source_var_y{};
    FLOAT64 min_y{};  // top end
    FLOAT64 max_y{};  // bottom end
    MOVING_IMAGE_UPDATE_CALLBACK update_x_cb{};
    MOVING_IMAGE_UPDATE_CALLBACK update_y_cb{};
    FLOAT64 save_x{};  // host-owned: what was shown
    FLOAT64 save_y{};  // host-owned
};

using SPRITE_UPDATE_CALLBACK = ElementRoutine<struct ELEMENT_SPRITE>;
struct ELEMENT_SPRITE {
    ELEMENT_HEADER header{};
    MODULE_VAR source_var_x{};
    FLOAT64 scale_x{};
    MODULE_VAR source_var_y{};
    FLOAT64 scale_y{};
    MODULE_VAR source_var_0{};  // rotation
    FLOAT64 scale_0{};          // radians per unit of the rotation value
    FLOAT32 texture_scale_x{};  // the texture drawn this much larger (1 as it is)
    FLOAT32 texture_scale_y{};
    SPRITE_UPDATE_CALLBACK update_x_cb{};
    SPRITE_UPDATE_CALLBACK update_y_cb{};
    SPRITE_UPDATE_CALLBACK update_0_cb{};
    FLOAT64 save_x{};  // host-owned
    FLOAT64 save_y{};  // host-owned
    FLOAT64 save_0{};  // host-owned
};

// Mouse rectangles: the kinds of entry in a gauge's mouse list.
enum : UINT32 {
    MOUSE_RECT_EOL = 0,         // ends the list
    MOUSE_RECT_PARENT = 1,      // opens a group; its box holds the children's
    MOUSE_RECT_CHILD = 2,       // a clickable area
    MOUSE_RECT_END_PARENT = 3,  // closes the group
    MOUSE_RECT_USER = 4,        // tooltip of the current group
};

// The cursor shown over an area.
enum : SINT32 {
    CURSOR_NONE = -1,     // the host's own
    CURSOR_UPARROW = 1,   // turns or steps up
    CURSOR_DOWNARROW = 2, // turns or steps down
    CURSOR_HAND = 5,      // a switch or button
};

// The mouse events an area asks for, and that its routine receives.
enum : UINT32 {
    MOUSE_NONE = 0,
    MOUSE_LEFTDRAG = 0x00800000u,     // moved with the left button down
    MOUSE_LEFTRELEASE = 0x00020000u,
    MOUSE_DOWN_REPEAT = 0x00200000u,  // again and again while held
    MOUSE_LEFTSINGLE = 0x20000000u,
    MOUSE_RIGHTSINGLE = 0x80000000u,
};

struct MOUSECALLBACK_POINT;
using MOUSE_FUNCTION = SINT32(FSAPI*)(MOUSECALLBACK_POINT*, UINT32);

// The routine slot of a mouse rectangle: a clickable area's mouse routine, or
// a tooltip entry's text in the same four bytes. Either way the record can be
// fixed when the module is built; a routine is called through it directly.
struct MOUSE_TARGET {
    union {
        MOUSE_FUNCTION routine;
        const char* text;
    };
    constexpr MOUSE_TARGET() : routine(nullptr) {}
    constexpr MOUSE_TARGET(std::nullptr_t) : routine(nullptr) {}
    constexpr MOUSE_TARGET(MOUSE_FUNCTION function) : routine(function) {}
    constexpr explicit MOUSE_TARGET(const char* tooltip) : text(tooltip) {}
    constexpr operator MOUSE_FUNCTION() const { return routine; }
};

struct MOUSERECT {
    UINT32 rect_type{};
    PIXPOINT relative_box_pos{};   // x, y
    PIXPOINT relative_box_size{};  // width, height
    SINT32 cursor{};
    UINT32 help_id{};
    UINT32 mouse_flags{};
    UINT32 event_id{};
    MOUSE_TARGET mouse_function{};  // or, for a tooltip entry, a tooltip text
    UINT32 api_data{};
};
static_assert(sizeof(MOUSE_TARGET) == sizeof(MOUSE_FUNCTION));

// What a mouse routine receives: the point relative to the clicked area, the
// gauge and the clicked rectangle.
struct MOUSECALLBACK_POINT {
    SINT32 x{};
    SINT32 y{};
    GAUGEHDR* gauge{};
    MOUSERECT* rect{};
};

using GAUGE_CALLBACK = void(FSAPI*)(GAUGEHDR*, SINT32 service_id, UINT32 extra_data);

inline constexpr UINT32 GAUGEHDR_VERSION = 800;

struct GAUGEHDR {
    UINT32 gauge_header_version{};
    const char* gauge_name{};
    ELEMENT_HEADER** elements_list{};  // null-terminated
    UINT32 size_x_mm{};
    MOUSERECT* mouse_rect{};
    GAUGE_CALLBACK gauge_callback{};
    UINT32 user_data{};
    char* parameters{};                // host-owned, writable, may be null
    // host-owned from here on
    void* host_instance{};
    UINT32 reserved[4]{};
};

// Host services reached through the import table.
struct PANEL_SERVICES {
    UINT32 version{};
    void(FSAPI* lookup_var)(MODULE_VAR* var){};
    void(FSAPI* trigger_key_event)(UINT32 event_id, UINT32 value){};
    void(FSAPI* panel_window_toggle)(UINT32 window_id){};
    void(FSAPI* execute_calculator_code)(const char* code, FLOAT64* fvalue,
                                         SINT32* ivalue, const char** svalue){};
};

inline constexpr UINT32 PANELS_ENTRY_ID = 0x0000000F;
inline constexpr UINT32 MODULE_LINKAGE_ID = 0x13;
inline constexpr UINT32 MODULE_VERSION_FS2004 = 0x900;

struct IMPORT_ENTRY {
    UINT32 id{};
    PANEL_SERVICES* table{};
};

struct IMPORT_TABLE {
    IMPORT_ENTRY panels{};
    IMPORT_ENTRY end{};
};

using MODULE_ROUTINE = void(FSAPI*)();

// The module's linkage: Count gauge table entries (the repeated Flaps_Switch
// included) and one more slot for the null that ends the list.

template <std::size_t Count>
struct MODULE_LINKAGE {
    UINT32 module_id{};
    MODULE_ROUTINE module_init{};
    MODULE_ROUTINE module_deinit{};
    UINT32 flags{};
    UINT32 module_priority{};
    UINT32 module_version{};
    GAUGEHDR* gauge_header_ptr[Count + 1]{};
};

// What the host sees through the exported Linkage symbol: the fixed part
// followed by the null-terminated header list, which is really longer than
// the one slot this says.
using MODULE_LINKAGE_VIEW = MODULE_LINKAGE<0>;
