// Design mode of the live panel (`panelhost serve PANEL.CFG --edit`): the
// configuration's gauges moved, resized, added, removed and given
// parameters, its windows sized and placed, while the gauges run; each
// change written into the file's text as the designer keeps it
// (host/panel/panel_edit.h) and the panel placed again from it.
//
//   GET  /api/design   the layout: windows, their gauges with the line each
//                      is written as, the findings, the module's gauges
//   POST /api/edit     {"changes": [{"op": "move", ...}, ...]}, all or none:
//                      the new layout, or 422 {"error", "change"} naming the
//                      change refused and why
//   POST /api/undo, /api/redo   a batch back or forward: the layout
//   POST /api/save     {"overwrite": false}: {"saved": path, "backup": path};
//                      409 when the file changed on disk since it was read,
//                      500 when it cannot be written (the old file whole)
//
// Each answer is a status and a JSON body, so that any server serves them.
#pragma once

#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "host/web/live_panel.h"

namespace panelhost {

class DesignPanel {
public:
    DesignPanel(LivePanel& live, std::string path);
    ~DesignPanel();
    DesignPanel(const DesignPanel&) = delete;
    DesignPanel& operator=(const DesignPanel&) = delete;

    // Reads the configuration's file; false with the reason.
    bool Open(std::string* error);

    LiveAnswer State() const;
    LiveAnswer Edit(const nlohmann::json& body);
    LiveAnswer Undo();
    LiveAnswer Redo();
    LiveAnswer Save(const nlohmann::json& body);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace panelhost
