// `panelhost serve`: the live panel in a web browser. One page (embedded in
// the program), the display lists pushed as server-sent events, bitmaps and
// waves fetched once each, and the page's clicks, sliders and lighting as
// small JSON requests:
//
//   GET  /                       the page (and its scripts and styles)
//   GET  /events                 event stream: a snapshot, then one update a frame
//   GET  /bitmap/ID.png          a module bitmap
//   GET  /background/WINDOW.png  a window's background bitmap
//   GET  /wave/ID.wav            a module wave
//   GET  /api/events             key events sent so far
//   GET  /api/measures           host work and update sizes of the last frames
//   POST /api/mouse              {"s": window, "x", "y": window pixels,
//                                 "a": down|up|drag|repeat, "b": left|right,
//                                 "g": gauge entry (optional)}
//   POST /api/flight             {"airspeed": knots, "altitude": feet, ...}
//   POST /api/lighting           {"lighting": "day"|"night"}
//   POST /api/approach           flies the shipped approach
//   GET  /api/design, POST /api/edit, /api/undo, /api/redo, /api/save
//                                design mode, with --edit only (design_panel.h)
//
// Request bodies over 64 KB are refused; every malformed or unknown request
// gets a 4xx and changes nothing. Only the server's own Host is answered,
// and only its own page's JSON posts are obeyed (host/web/web_routes.h); one
// thread serves every connection, within the limits of web_server.cpp.
#pragma once

#include <string>

namespace panelhost {

// serve PANEL.CFG [--port N] [--host ADDRESS] [--scenario FILE] [--edit]; the exit code.
int ServeCommand(const std::string& modulePath, int argc, char** argv);

}  // namespace panelhost
