// Design mode (panelhost serve --edit): the gauges of the live panel
// selected, dragged, resized by their corners, nudged with the arrow keys,
// added from the module's palette, removed and given parameters; windows
// sized and placed; every change sent to the host (/api/edit), which writes
// it into the configuration's text and places the panel again. Undo, redo
// and save are the host's. An overlay above the canvas takes the mouse
// while the mode is on; off, the gauges take their clicks again.
'use strict';

(() => {
  const live = window.livePanel;
  const design = {
    on: true,
    state: null,       // the host's layout: windows, gauges, findings, palette
    selected: null,    // {s, key}
    window: null,      // section whose keys the form shows
    snap: true,
    grid: 10,          // design units
    message: '',
  };
  window.design = design;

  async function call(path, body) {
    const answer = await fetch(path, { method: 'POST', headers: { 'Content-Type': 'application/json' },
                                       body: JSON.stringify(body ?? {}) });
    let json = {};
    try { json = await answer.json(); } catch (e) { /* no body */ }
    return { ok: answer.ok, status: answer.status, json };
  }

  // --- Where things lie on the screen -----------------------------------------

  function placementOf(section) {
    return live.placements().find((p) => p.window.s === section);
  }
  function windowState(section) {
    return design.state && design.state.windows.find((w) => w.s === section);
  }
  function gaugeState(sel) {
    const w = sel && windowState(sel.s);
    return w && w.gauges.find((g) => g.key === sel.key);
  }
  // Screen pixels per design unit of a gauge's window, on each axis.
  function scaleOf(section, gauge) {
    const p = placementOf(section);
    if (!p || !gauge.box || !gauge.pixels) return null;
    return { x: (p.rect.w / p.list.w) * (gauge.pixels[2] / gauge.box[2] || 1),
             y: (p.rect.h / p.list.h) * (gauge.pixels[3] / gauge.box[3] || 1), p };
  }
  function screenBox(section, gauge) {
    const p = placementOf(section);
    if (!p || !gauge.pixels) return null;
    const sx = p.rect.w / p.list.w, sy = p.rect.h / p.list.h;
    return [p.rect.x + gauge.pixels[0] * sx, p.rect.y + gauge.pixels[1] * sy, gauge.pixels[2] * sx, gauge.pixels[3] * sy];
  }
  // The topmost gauge under a screen point, in the topmost window there.
  function gaugeAt(x, y) {
    const placed = live.placements();
    for (let i = placed.length - 1; i >= 0; i--) {
      const { rect, window } = placed[i];
      if (x < rect.x || y < rect.y || x >= rect.x + rect.w || y >= rect.y + rect.h) continue;
      const w = windowState(window.s);
      if (!w) return { s: window.s, key: null };
      for (let k = w.gauges.length - 1; k >= 0; k--) {
        const b = screenBox(w.s, w.gauges[k]);
        if (b && x >= b[0] && y >= b[1] && x < b[0] + b[2] && y < b[1] + b[3]) return { s: w.s, key: w.gauges[k].key };
      }
      return { s: window.s, key: null };
    }
    return null;
  }

  // --- The side panel -------------------------------------------------------------

  const side = document.createElement('aside');
  side.id = 'design';
  side.innerHTML = `
    <div class="row"><button id="designToggle" title="Design mode on or off (key E)">Design: on</button>
      <button id="undo" title="Undo (Ctrl+Z)">Undo</button><button id="redo" title="Redo (Ctrl+Y)">Redo</button>
      <button id="save" title="Save into the configuration (Ctrl+S)">Save</button></div>
    <div class="row"><label><input type="checkbox" id="snap" checked> Snap to grid and edges</label></div>
    <div id="designStatus"></div>
    <section id="selection" hidden><h3>Selection</h3><code id="gaugeLine"></code>
      <label>Parameters <input id="params" spellcheck="false"></label>
      <div class="row"><button id="applyParams">Set parameters</button><button id="remove" title="Delete">Remove</button></div>
    </section>
    <section id="windowForm" hidden><h3 id="windowName"></h3>
      <label>size_mm <input name="size_mm"></label><label>position <input name="position"></label>
      <label>window_pos <input name="window_pos"></label><label>window_size <input name="window_size"></label>
      <label>visible <input name="visible"></label>
      <div class="row"><button id="applyWindow">Set window keys</button><button id="addWindow">Add a window</button></div>
    </section>
    <section><h3>Add a gauge</h3><ul id="palette"></ul></section>
    <section><h3>Findings</h3><ul id="findings"></ul></section>`;
  document.body.append(side);
  const overlay = document.createElement('div');
  overlay.id = 'designOverlay';
  const frame = document.createElement('div');
  frame.id = 'designFrame';
  frame.hidden = true;
  for (const corner of ['nw', 'ne', 'sw', 'se']) {
    const handle = document.createElement('div');
    handle.className = `handle ${corner}`;
    handle.dataset.corner = corner;
    frame.append(handle);
  }
  overlay.append(frame);
  // Over the panel's stage: the windows' places are the stage's pixels.
  const stage = document.getElementById('stage');
  stage.append(overlay);
  const $ = (id) => document.getElementById(id);

  function say(text, bad = false) {
    design.message = text;
    $('designStatus').textContent = text;
    $('designStatus').className = bad ? 'bad' : '';
  }

  function show() {
    const s = design.state;
    if (!s) return;
    $('undo').disabled = !s.canUndo;
    $('redo').disabled = !s.canRedo;
    $('save').textContent = s.changed ? 'Save*' : 'Save';
    const g = gaugeState(design.selected);
    if (design.selected && !g) design.selected = null;
    $('selection').hidden = !g;
    if (g) {
      $('gaugeLine').textContent = g.line;
      if (document.activeElement !== $('params')) $('params').value = g.params ?? '';
    }
    const w = windowState(design.window || (design.selected && design.selected.s) || (s.windows[0] && s.windows[0].s));
    $('windowForm').hidden = !w;
    if (w) {
      $('windowName').textContent = `[${w.s}] ${w.title || ''}`;
      for (const input of $('windowForm').querySelectorAll('input')) {
        if (document.activeElement === input) continue;
        input.value = input.name === 'size_mm' ? w.size : input.name === 'visible' ? (w.visible ? '1' : '0') : w[input.name];
      }
    }
    $('findings').replaceChildren(...(s.findings.length ? s.findings : [{ severity: 'note', text: 'check finds nothing' }])
      .map((f) => Object.assign(document.createElement('li'), { textContent: f.text, className: f.severity })));
    placeFrame();
  }

  function placeFrame() {
    const g = design.on && gaugeState(design.selected);
    const b = g && (design.ghost || screenBox(design.selected.s, g));
    frame.hidden = !b;
    if (!b) return;
    Object.assign(frame.style, { left: `${b[0]}px`, top: `${b[1]}px`, width: `${b[2]}px`, height: `${b[3]}px` });
  }

  function fillPalette() {
    $('palette').replaceChildren(...design.state.palette.map((entry) => {
      const item = document.createElement('li');
      item.title = `Add QR417_Instr!${entry.name} at its default width (${entry.width})`;
      item.dataset.name = entry.name;
      if (entry.bitmap !== null) item.append(Object.assign(document.createElement('img'), { src: `/bitmap/${entry.bitmap}.png`, alt: '' }));
      item.append(entry.name);
      item.addEventListener('click', () => add(entry));
      return item;
    }));
  }

  // --- Talking to the host ------------------------------------------------------------

  async function edit(changes) {
    const answer = await call('/api/edit', { changes });
    if (!answer.ok) {
      say(answer.json.error || `refused (${answer.status})`, true);
      return false;
    }
    design.state = answer.json;
    say('');
    show();
    return true;
  }
  async function step(path) {
    const answer = await call(path);
    if (answer.ok) {
      design.state = answer.json;
      show();
    }
  }
  async function save(overwrite = false) {
    const answer = await call('/api/save', { overwrite });
    if (answer.status === 409 && answer.json.changedOnDisk) {
      if (window.confirm(`${answer.json.error}. Overwrite it?`)) return save(true);
      return say('not saved: the file changed on disk', true);
    }
    if (!answer.ok) return say(`not saved: ${answer.json.error || answer.status}`, true);
    design.state.changed = false;
    show();
    say(`saved ${answer.json.saved}${answer.json.backup ? `, the previous file kept as ${answer.json.backup}` : ''}`);
  }

  function add(entry) {
    const section = (design.selected && design.selected.s) || design.window ||
      (live.placements()[0] && live.placements()[0].window.s);
    const w = windowState(section);
    if (!w) return;
    const x = Math.max(0, Math.round(((w.width || 400) - entry.width) / 2));
    const y = Math.max(0, Math.round(((w.height || 300) - entry.width) / 2));
    const before = new Set(w.gauges.map((g) => g.key));
    edit([{ op: 'add', window: section, name: `QR417_Instr!${entry.name}`, x, y }]).then((done) => {
      // The new line: the key the window did not have.
      const added = done && windowState(section).gauges.find((g) => !before.has(g.key));
      if (added) design.selected = { s: section, key: added.key };
      show();
    });
  }

  // --- Snapping ------------------------------------------------------------------------

  // A coordinate pulled to the grid, or to a neighbour's edge within a few units.
  function snapped(value, size, section, key, axis) {
    if (!design.snap) return Math.round(value);
    const near = 6;
    let best = Math.round(value / design.grid) * design.grid;
    let distance = Math.abs(best - value);
    for (const g of windowState(section).gauges) {
      if (g.key === key || !g.box) continue;
      const start = g.box[axis], end = g.box[axis] + g.box[axis + 2];
      for (const edge of [start, end]) {
        for (const [candidate] of [[edge], [edge - size]]) {
          if (Math.abs(candidate - value) < Math.min(near, distance + 0.01)) {
            best = candidate;
            distance = Math.abs(candidate - value);
          }
        }
      }
    }
    return Math.round(best);
  }

  // --- Mouse and keys ---------------------------------------------------------------------

  let drag = null;  // {kind: move|resize, corner, start point, gauge, scale}
  overlay.addEventListener('contextmenu', (event) => event.preventDefault());
  overlay.addEventListener('mousedown', (event) => {
    const corner = event.target.dataset && event.target.dataset.corner;
    if (corner && design.selected) {
      const g = gaugeState(design.selected);
      drag = { kind: 'resize', corner, x: event.clientX, y: event.clientY, g, scale: scaleOf(design.selected.s, g) };
      event.preventDefault();
      return;
    }
    const at = stage.getBoundingClientRect();
    const hit = gaugeAt(event.clientX - at.left, event.clientY - at.top);
    design.window = hit ? hit.s : design.window;
    design.selected = hit && hit.key ? { s: hit.s, key: hit.key } : null;
    show();
    if (!design.selected) return;
    const g = gaugeState(design.selected);
    drag = { kind: 'move', x: event.clientX, y: event.clientY, g, scale: scaleOf(design.selected.s, g) };
    event.preventDefault();
  });
  // Where the drag would put the gauge, in design units.
  function dragged(event) {
    const { g, scale } = drag;
    const dx = (event.clientX - drag.x) / scale.x, dy = (event.clientY - drag.y) / scale.y;
    const [bx, by, bw, bh] = g.box;
    const w = windowState(design.selected.s);
    const maxX = (w.width || 100000) - 1, maxY = (w.height || 100000) - 1;
    const clamp = (v, most) => Math.min(Math.max(v, 0), most);
    if (drag.kind === 'move') {
      const x = clamp(snapped(g.x + dx, bw, w.s, g.key, 0), maxX);
      const y = clamp(snapped(g.y + dy, bh, w.s, g.key, 1), maxY);
      return { x, y, box: [x, y, bw, bh] };
    }
    // A corner: the opposite corner stays; the aspect is kept unless Shift is held.
    const west = drag.corner.includes('w'), north = drag.corner.includes('n');
    let width = Math.max(4, Math.round(bw + (west ? -dx : dx)));
    let height = Math.max(4, Math.round(bh + (north ? -dy : dy)));
    if (!event.shiftKey) height = Math.round(width * bh / bw);
    const x = clamp(west ? Math.round(bx + bw - width) : g.x, maxX);
    const y = clamp(north ? Math.round(by + bh - height) : g.y, maxY);
    return { x, y, width, height: event.shiftKey ? height : (g.height === null ? null : height), box: [x, y, width, height] };
  }
  window.addEventListener('mousemove', (event) => {
    if (!drag || !drag.scale) return;
    const to = dragged(event);
    const p = drag.scale.p, sx = p.rect.w / p.list.w, sy = p.rect.h / p.list.h;
    const k = { x: drag.g.pixels[2] / drag.g.box[2], y: drag.g.pixels[3] / drag.g.box[3] };
    design.ghost = [p.rect.x + to.box[0] * k.x * sx, p.rect.y + to.box[1] * k.y * sy, to.box[2] * k.x * sx, to.box[3] * k.y * sy];
    placeFrame();
  });
  window.addEventListener('mouseup', (event) => {
    if (!drag) return;
    const was = drag;
    drag = null;
    design.ghost = null;
    if (!was.scale || (event.clientX === was.x && event.clientY === was.y)) return placeFrame();
    drag = was;
    const to = dragged(event);
    drag = null;
    const { s, key } = design.selected;
    const changes = [];
    if (was.kind === 'resize') changes.push({ op: 'resize', window: s, gauge: key, width: to.width, height: to.height });
    if (to.x !== was.g.x || to.y !== was.g.y) changes.push({ op: 'move', window: s, gauge: key, x: to.x, y: to.y });
    if (changes.length) edit(changes); else placeFrame();
  });

  window.addEventListener('keydown', (event) => {
    if (event.target instanceof HTMLInputElement) return;
    if (event.key === 'e' || event.key === 'E') return toggle();
    if (!design.on) return;
    const ctrl = event.ctrlKey || event.metaKey;
    if (ctrl && event.key.toLowerCase() === 'z') { event.preventDefault(); return step('/api/undo'); }
    if (ctrl && event.key.toLowerCase() === 'y') { event.preventDefault(); return step('/api/redo'); }
    if (ctrl && event.key.toLowerCase() === 's') { event.preventDefault(); return save(); }
    const g = gaugeState(design.selected);
    if (!g) return;
    if (event.key === 'Delete' || event.key === 'Backspace') {
      event.preventDefault();
      return edit([{ op: 'remove', window: design.selected.s, gauge: g.key }]);
    }
    const steps = { ArrowLeft: [-1, 0], ArrowRight: [1, 0], ArrowUp: [0, -1], ArrowDown: [0, 1] }[event.key];
    if (!steps) return;
    event.preventDefault();
    const by = event.shiftKey ? 10 : 1;
    edit([{ op: 'move', window: design.selected.s, gauge: g.key, x: Math.max(0, g.x + steps[0] * by),
            y: Math.max(0, g.y + steps[1] * by) }]);
  });

  function toggle() {
    design.on = !design.on;
    overlay.hidden = !design.on;
    $('designToggle').textContent = design.on ? 'Design: on' : 'Design: off';
    $('designToggle').setAttribute('aria-pressed', String(design.on));
    placeFrame();
  }
  $('designToggle').addEventListener('click', toggle);
  $('undo').addEventListener('click', () => step('/api/undo'));
  $('redo').addEventListener('click', () => step('/api/redo'));
  $('save').addEventListener('click', () => save());
  $('snap').addEventListener('change', (event) => { design.snap = event.target.checked; });
  $('applyParams').addEventListener('click', () => {
    const g = gaugeState(design.selected);
    if (g) edit([{ op: 'params', window: design.selected.s, gauge: g.key, text: $('params').value }]);
  });
  $('remove').addEventListener('click', () => {
    const g = gaugeState(design.selected);
    if (g) edit([{ op: 'remove', window: design.selected.s, gauge: g.key }]);
  });
  $('applyWindow').addEventListener('click', () => {
    const w = windowState(design.window || (design.selected && design.selected.s) || design.state.windows[0].s);
    const changes = [];
    for (const input of $('windowForm').querySelectorAll('input')) {
      const now = input.name === 'size_mm' ? w.size : input.name === 'visible' ? (w.visible ? '1' : '0') : w[input.name];
      if (input.value.trim() !== String(now)) {
        changes.push({ op: 'window', window: w.s, key: input.name, value: input.value.trim() === '' ? null : input.value.trim() });
      }
    }
    if (changes.length) edit(changes);
  });
  $('addWindow').addEventListener('click', () => edit([{ op: 'addwindow', title: 'New window' }]));

  fetch('/api/design').then((r) => (r.ok ? r.json() : null)).then((state) => {
    if (!state) {  // served without --edit
      side.remove();
      overlay.remove();
      delete window.design;
      return;
    }
    document.body.classList.add('designing');
    // The panel's stage leaves room for the side panel.
    stage.style.marginRight = `${side.offsetWidth}px`;
    window.dispatchEvent(new Event('resize'));
    design.state = state;
    fillPalette();
    show();
    // The frame follows the window as the page lays it out again (only
    // where design mode is served: a frame asked every frame costs a page
    // that only shows the panel its browser's time).
    (function follow() {
      if (!drag) placeFrame();
      requestAnimationFrame(follow);
    })();
  });
})();
