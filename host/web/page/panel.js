// The live panel page: paints the display lists the host pushes, one canvas
// a window at the screen's device pixels, and sends the mouse, touch, wheel
// and keyboard, the flight values and the lighting back. Bitmaps and waves
// are fetched once each (again after a failure, once the host is back).
'use strict';

const query = new URLSearchParams(location.search);
const panel = {
  id: Math.random().toString(36).slice(2) + Date.now().toString(36),  // this page, to the host
  lists: new Map(),   // section -> {w, h, items, canvas, damage, motion}
  open: [],           // open windows, as the host lists them
  only: (query.get('windows') || '').split(',').map((s) => s.trim()).filter(Boolean),
  errors: [],
  frame: 0,
  clock: 0,
  light: 'day',
  paints: 0,
  frames: 0,          // animation frames painted, for the frame-rate measure
  connected: false,
  echoes: [],         // the scenario's lines, latest last
  readings: {},       // the instruments' readings, as the host last sent them
  costs: [],          // main-thread milliseconds of each update (taking it in and painting it)
  motion: query.get('motion') !== 'off',
  focus: -1,          // index into focusable() of the area with the keyboard's focus ring
};
window.livePanel = panel;

// A frame is asked for only when something is to be painted: the windows
// (`dirty`), the focus ring (`overlayDirty`), or items still gliding. A page
// at rest costs its browser nothing between the host's updates.
let frameAsked = false;
function askFrame() {
  if (frameAsked) return;
  frameAsked = true;
  requestAnimationFrame(animate);
}
for (const name of ['dirty', 'overlayDirty']) {
  let value = name === 'dirty';
  Object.defineProperty(panel, name, {
    enumerable: true,
    get: () => value,
    set: (v) => { value = v; if (v) askFrame(); },
  });
}

const stage = document.getElementById('stage');
const screen = document.getElementById('screen');
const overlay = screen.getContext('2d');
const dpr = () => window.devicePixelRatio || 1;

// --- Bitmaps --------------------------------------------------------------

const images = new Map();    // url -> Image (null while loading, undefined after a failure)
panel.images = images;
const variants = new Map();  // url|transparency|light -> canvas

function imageUrl(item) {
  return item.i !== undefined ? `/bitmap/${item.i}.png` : `/background/${item.g}.png`;
}

function loadImage(url) {
  if (images.has(url) && images.get(url) !== undefined) return images.get(url);
  images.set(url, null);
  const image = new Image();
  image.onload = () => { images.set(url, image); damageAll(); };
  image.onerror = () => images.set(url, undefined);
  image.src = url;
  return null;
}

// Bitmaps whose fetch failed (the host gone for a while) are asked for again.
function refetchFailed() {
  for (const [url, image] of images) if (image === undefined) loadImage(url);
}

// The bitmap as an element draws it: black made transparent and each
// channel taken down by the light.
function variant(item) {
  const url = imageUrl(item);
  const light = item.l || [1, 1, 1];
  const key = `${url}|${item.bt ? 1 : 0}|${light.join(',')}`;
  const made = variants.get(key);
  if (made) return made;
  const image = loadImage(url);
  if (!image) return null;
  const canvas = document.createElement('canvas');
  canvas.width = image.width;
  canvas.height = image.height;
  const c = canvas.getContext('2d', { willReadFrequently: true });
  c.drawImage(image, 0, 0);
  if (item.bt || item.l) {
    const data = c.getImageData(0, 0, canvas.width, canvas.height);
    const p = data.data;
    for (let i = 0; i < p.length; i += 4) {
      if (item.bt && p[i] === 0 && p[i + 1] === 0 && p[i + 2] === 0) p[i + 3] = 0;
      p[i] *= light[0];
      p[i + 1] *= light[1];
      p[i + 2] *= light[2];
    }
    c.putImageData(data, 0, 0);
  }
  variants.set(key, canvas);
  // An ImageBitmap draws without the canvas being copied first.
  createImageBitmap(canvas).then((bitmap) => { if (variants.get(key) === canvas) variants.set(key, bitmap); }, () => {});
  return canvas;
}

// --- Painting -------------------------------------------------------------

function colour(rgb, light, alpha = 1) {
  const l = light || [1, 1, 1];
  const r = ((rgb >> 16) & 255) * l[0], g = ((rgb >> 8) & 255) * l[1], b = (rgb & 255) * l[2];
  return `rgba(${Math.round(r)},${Math.round(g)},${Math.round(b)},${alpha})`;
}

// The inverse of a placement, in the order canvas transforms take; null for
// one that flattens the picture to a line.
function invert(xx, yx, xy, yy, x0, y0) {
  const det = xx * yy - xy * yx;
  if (!(Math.abs(det) > 1e-12)) return null;
  return [yy / det, -yx / det, -xy / det, xx / det, (xy * y0 - yy * x0) / det, (yx * x0 - xx * y0) / det];
}

function paintItem(c, item, placement = item.p) {
  const [cx, cy, cw, ch] = item.c;
  if (cw <= 0 || ch <= 0) return;
  c.save();
  c.beginPath();
  c.rect(cx, cy, cw, ch);
  c.clip();
  if (item.k === 'f') {
    c.fillStyle = colour(item.fg, item.l, item.a ?? 1);
    c.fillRect(item.x[0], item.x[1], item.x[2], item.x[3]);
  } else if (item.k === 'b') {
    const image = variant(item);
    if (image) {
      const [xx, yx, xy, yy, x0, y0] = placement;
      c.transform(xx, yx, xy, yy, x0, y0);
      const t = c.getTransform();
      // Nearest pixel where the bitmap lands pixel for pixel and asks for it.
      c.imageSmoothingEnabled = !!item.bi || Math.abs(Math.abs(t.a * t.d - t.b * t.c) - 1) > 0.01;
      const back = item.wr && invert(xx, yx, xy, yy, x0, y0);
      if (back) {
        // A sprite's texture wraps round beyond its edges over its window
        // (the clip), as the host's painter repeats it: the pattern takes
        // the placement, the window is filled where the list's pixels are.
        const pattern = c.createPattern(image, 'repeat');
        pattern.setTransform(new DOMMatrix([xx, yx, xy, yy, x0, y0]));
        c.transform(...back);
        c.fillStyle = pattern;
        c.fillRect(cx, cy, cw, ch);
      } else if (!item.wr) {
        c.drawImage(image, 0, 0);
      }
    }
  } else if (item.k === 't') {
    const [x, y, w, h] = item.x;
    if (!(item.tb && (item.bg & 0xffffff) === 0)) {
      c.fillStyle = colour(item.bg, item.l);
      c.fillRect(x, y, w, h);
    }
    if (item.tx) {
      let size = h * 0.8;
      const font = (s) => `${item.wt || 400} ${s}px "${item.f || 'Arial'}", "Liberation Sans", Arial, sans-serif`;
      c.font = font(size);
      const width = c.measureText(item.tx).width;
      if (width > w * 0.96) {
        size *= (w * 0.96) / width;
        c.font = font(size);
      }
      const m = c.measureText(item.tx);
      c.fillStyle = colour(item.fg, item.l);
      c.textAlign = 'center';
      c.textBaseline = 'alphabetic';
      // Centred on the ink, as a display shows its digits.
      const inkHeight = m.actualBoundingBoxAscent + m.actualBoundingBoxDescent;
      c.fillText(item.tx, x + w / 2, y + (h - inkHeight) / 2 + m.actualBoundingBoxAscent);
    }
  }
  c.restore();
}

function paintList(c, list) {
  for (const item of list.items) if (item) paintItem(c, item);
}

// Where each open window lies on the stage, bottom first, as the host's
// screen layout places it on a screen of the stage's size; asked for again
// whenever the size or the open windows change. A page showing only chosen
// windows (?windows=) gives each its share of the stage, full-size.
panel.layout = { w: 0, h: 0, windows: [] };
let layoutAsked = 0;
function askLayout() {
  const asked = ++layoutAsked;
  const size = { w: Math.max(1, stage.clientWidth), h: Math.max(1, stage.clientHeight), p: panel.id };
  if (panel.only.length) size.windows = panel.only;
  post('/api/layout', size).then((answer) => {
    // Only the latest answer, and only for the size the page still has.
    if (asked !== layoutAsked || !Array.isArray(answer.windows)) return;
    panel.layout = answer;
    if (Array.isArray(answer.open)) panel.mine = new Set(answer.open);
    placeWindows();
  });
}

// The windows this page shows: its own set of open windows when the host
// keeps one for it, else every open window.
function shown(section) {
  return !panel.mine || panel.mine.has(section);
}

function placements() {
  const placed = [];
  for (const rect of panel.layout.windows) {
    const window = panel.open.find((w) => w.s === rect.s);
    const list = panel.lists.get(rect.s);
    if (window && list && shown(rect.s)) placed.push({ window, list, rect });
  }
  return placed;
}
panel.placements = placements;

// Each window is a canvas of its own, at the device pixels of its place on
// the stage, and repaints only the boxes that changed: the items an update
// replaced, where they were and where they are.
function damageAll() {
  for (const list of panel.lists.values()) list.damage = null;
  panel.dirty = true;
}

function placeWindows() {
  const placed = placements();
  const ratio = dpr();
  for (const [section, list] of panel.lists) {
    const place = placed.find((p) => p.window.s === section);
    if (!place) {
      if (list.canvas) list.canvas.remove();
      list.canvas = null;
      continue;
    }
    const { rect } = place;
    if (!list.canvas) {
      list.canvas = document.createElement('canvas');
      list.canvas.className = 'window';
      list.canvas.dataset.section = section;
      list.canvas.setAttribute('aria-hidden', 'true');
    }
    const width = Math.max(1, Math.round(rect.w * ratio)), height = Math.max(1, Math.round(rect.h * ratio));
    if (list.canvas.width !== width || list.canvas.height !== height) {
      list.canvas.width = width;
      list.canvas.height = height;
      list.damage = null;
    }
    Object.assign(list.canvas.style, { left: `${rect.x}px`, top: `${rect.y}px`, width: `${rect.w}px`,
                                       height: `${rect.h}px`, zIndex: String(placed.indexOf(place)) });
    if (!list.canvas.isConnected) stage.insertBefore(list.canvas, screen);
  }
  const width = Math.round(stage.clientWidth * ratio), height = Math.round(stage.clientHeight * ratio);
  if (screen.width !== width || screen.height !== height) {
    screen.width = width;
    screen.height = height;
  }
  panel.focusList = null;
  panel.overlayDirty = true;
  panel.dirty = true;
}

function overlaps(a, b) {
  return a[0] < b[0] + b[2] && b[0] < a[0] + a[2] && a[1] < b[1] + b[3] && b[1] < a[1] + a[3];
}

// The damaged boxes, each once, without those lying inside another: the
// items of one gauge share its box.
function distinctBoxes(boxes) {
  const inside = (a, b) => a[0] >= b[0] && a[1] >= b[1] && a[0] + a[2] <= b[0] + b[2] && a[1] + a[3] <= b[1] + b[3];
  const kept = [];
  for (const box of boxes) {
    if (kept.some((k) => inside(box, k))) continue;
    for (let i = kept.length - 1; i >= 0; i--) if (inside(kept[i], box)) kept.splice(i, 1);
    kept.push(box);
  }
  return kept;
}

function repaintWindow(list, now) {
  const c = list.canvas.getContext('2d');
  const kx = list.canvas.width / list.w, ky = list.canvas.height / list.h;
  const placementOf = (item, index) => moving(list, index, now) || item.p;
  if (list.damage === null) {
    c.setTransform(1, 0, 0, 1, 0, 0);
    c.clearRect(0, 0, list.canvas.width, list.canvas.height);
    c.setTransform(kx, 0, 0, ky, 0, 0);
    list.items.forEach((item, i) => { if (item) paintItem(c, item, placementOf(item, i)); });
  } else {
    for (const box of distinctBoxes(list.damage)) {
      // Whole device pixels, so that edges drawn twice blend no differently.
      const x = Math.floor(box[0] * kx), y = Math.floor(box[1] * ky);
      const w = Math.ceil((box[0] + box[2]) * kx) - x, h = Math.ceil((box[1] + box[3]) * ky) - y;
      const area = [x / kx, y / ky, w / kx, h / ky];
      c.save();
      c.setTransform(1, 0, 0, 1, 0, 0);
      c.beginPath();
      c.rect(x, y, w, h);
      c.clip();
      c.clearRect(x, y, w, h);
      c.setTransform(kx, 0, 0, ky, 0, 0);
      list.items.forEach((item, i) => { if (item && overlaps(item.c, area)) paintItem(c, item, placementOf(item, i)); });
      c.restore();
    }
  }
  list.damage = [];
}

// --- Motion -----------------------------------------------------------------
// Needles and cards drawn between the host's updates: each bitmap whose
// placement changed glides from where it stood to where the last update put
// it over one update's time, angle and shift apart, never past the value
// received.
const updatePeriod = 1000 / 18;

function decompose([xx, yx, xy, yy, x0, y0]) {
  return { angle: Math.atan2(yx, xx), sx: Math.hypot(xx, yx), sy: Math.hypot(xy, yy), x0, y0,
           flip: Math.sign(xx * yy - yx * xy) || 1 };
}

function startMotion(list, index, before, after, now) {
  if (!panel.motion || !before || !after || before.k !== 'b' || after.k !== 'b' || !before.p || !after.p) return;
  if (imageUrl(before) !== imageUrl(after)) return;
  const from = decompose(before.p), to = decompose(after.p);
  if (from.flip !== to.flip) return;
  let turn = to.angle - from.angle;
  if (turn > Math.PI) turn -= 2 * Math.PI;
  if (turn < -Math.PI) turn += 2 * Math.PI;
  list.motion.set(index, { from, to, turn, start: now });
}

// The placement of a moving item at `now`, or null when it stands still.
function moving(list, index, now) {
  const m = list.motion && list.motion.get(index);
  if (!m) return null;
  const t = (now - m.start) / updatePeriod;
  if (t >= 1) { list.motion.delete(index); return null; }
  const a = m.from.angle + m.turn * t;
  const sx = m.from.sx + (m.to.sx - m.from.sx) * t, sy = m.from.sy + (m.to.sy - m.from.sy) * t;
  const cos = Math.cos(a), sin = Math.sin(a);
  return [cos * sx, sin * sx, -sin * sy * m.to.flip, cos * sy * m.to.flip,
          m.from.x0 + (m.to.x0 - m.from.x0) * t, m.from.y0 + (m.to.y0 - m.from.y0) * t];
}

function damageMoving(list) {
  if (!list.motion || !list.motion.size || list.damage === null) return;
  for (const index of list.motion.keys()) if (list.items[index]) list.damage.push(list.items[index].c);
}

// One window at its own size, for comparing with the host's own picture.
panel.paintWindow = (section) => {
  const list = panel.lists.get(section);
  if (!list) return null;
  const canvas = document.createElement('canvas');
  canvas.width = list.w;
  canvas.height = list.h;
  paintList(canvas.getContext('2d'), list);
  return canvas;
};

function paint(now) {
  const began = performance.now();
  for (const { list } of placements()) {
    damageMoving(list);
    if (list.canvas && (list.damage === null || list.damage.length)) repaintWindow(list, now);
  }
  if (panel.overlayDirty) paintOverlay();
  panel.paints++;
  return performance.now() - began;
}

// The overlay over the windows: the keyboard's focus ring.
function paintOverlay() {
  panel.overlayDirty = false;
  const ratio = dpr();
  overlay.setTransform(1, 0, 0, 1, 0, 0);
  overlay.clearRect(0, 0, screen.width, screen.height);
  const area = document.activeElement === screen ? focusable()[panel.focus] : null;
  if (!area) return;
  const r = screenBox(area);
  overlay.setTransform(ratio, 0, 0, ratio, 0, 0);
  overlay.lineWidth = 3;
  overlay.strokeStyle = '#000';
  overlay.strokeRect(r.x - 3, r.y - 3, r.w + 6, r.h + 6);
  overlay.lineWidth = 2;
  overlay.strokeStyle = '#ffcc33';
  overlay.strokeRect(r.x - 3, r.y - 3, r.w + 6, r.h + 6);
}

function resize() {
  placeWindows();
  askLayout();
}
const damageLimit = 40;  // more boxes than this: the whole window
new ResizeObserver(resize).observe(stage);
matchMedia(`(resolution: ${dpr()}dppx)`).addEventListener('change', resize);

let pendingCost = 0;  // time taken in by updates since the last paint
function anyGliding() {
  for (const list of panel.lists.values()) if (list.motion && list.motion.size) return true;
  return false;
}
function animate(now) {
  frameAsked = false;
  panel.frames++;
  panel.dirty = false;
  const spent = paint(now) + pendingCost;
  if (pendingCost) {
    panel.costs.push(spent);
    if (panel.costs.length > 600) panel.costs.shift();
  }
  pendingCost = 0;
  if (anyGliding()) askFrame();
}
askFrame();

// --- Updates from the host --------------------------------------------------

function applyWindow(change, now) {
  let list = panel.lists.get(change.s);
  if (!list || list.w !== change.w || list.h !== change.h) {
    if (list && list.canvas) list.canvas.remove();
    list = { w: change.w, h: change.h, items: [], damage: null, canvas: null, motion: new Map() };
    panel.lists.set(change.s, list);
    panel.placeNeeded = true;
  }
  const damage = list.damage;
  const mark = (item) => { if (damage && item) damage.push(item.c); };
  for (let i = change.n; i < list.items.length; i++) { mark(list.items[i]); list.motion.delete(i); }
  list.items.length = change.n;
  for (const [index, item] of change.set) {
    const before = list.items[index];
    mark(before);
    mark(item);
    // Glide from where the item is drawn now (it may be moving still).
    const drawn = moving(list, index, now);
    startMotion(list, index, drawn ? { ...before, p: drawn } : before, item, now);
    list.items[index] = item;
  }
  if (damage && damage.length > damageLimit) list.damage = null;
}

function showErrors() {
  const box = document.getElementById('errors');
  box.replaceChildren(...panel.errors.map((text) => Object.assign(document.createElement('li'), { textContent: text })));
  box.hidden = panel.errors.length === 0;
}

function receive(message) {
  const began = performance.now();
  if (message.t === 'full') {
    for (const list of panel.lists.values()) if (list.canvas) list.canvas.remove();
    panel.lists.clear();
    panel.errors = message.errors || [];
    showErrors();
    refetchFailed();
  } else if (message.errors) {  // a scenario line that failed
    panel.errors = message.errors;
    showErrors();
  }
  for (const change of message.windows || []) applyWindow(change, began);
  if (message.open) {
    panel.open = message.open;
    for (const section of [...panel.lists.keys()]) {
      if (!panel.open.some((window) => window.s === section)) {
        const list = panel.lists.get(section);
        if (list.canvas) list.canvas.remove();
        panel.lists.delete(section);
      }
    }
    panel.focusList = null;
    askLayout();
  } else if (panel.placeNeeded) {
    placeWindows();
  }
  panel.placeNeeded = false;
  if (message.light) setLightButton(message.light);
  panel.frame = message.frame;
  panel.clock = message.clock;
  for (const change of message.sounds || []) sound.change(change);
  for (const line of message.echo || []) echo(line);
  if (message.readings) showReadings(message.readings);
  // An update that changed no list (the readings, a sound) paints nothing.
  if (message.t === 'full' || message.open || (message.windows || []).length) panel.dirty = true;
  pendingCost += performance.now() - began;
}

// Scenario text: the latest line in the bar, fading after a while; the
// lines kept for whoever asks.
const echoLine = document.getElementById('echo');
let echoTimer = 0;
function echo(line) {
  const text = line.trim();
  panel.echoes.push(text);
  if (panel.echoes.length > 100) panel.echoes.shift();
  echoLine.textContent = text;
  echoLine.title = panel.echoes.slice(-8).join('\n');
  echoLine.classList.add('fresh');
  clearTimeout(echoTimer);
  echoTimer = setTimeout(() => echoLine.classList.remove('fresh'), 6000);
}

// The instruments' readings, for screen readers: one line each, changed
// only where the reading changed.
const readingList = document.querySelector('#readings ul');
function showReadings(readings) {
  for (const [name, text] of Object.entries(readings)) {
    panel.readings[name] = text;
    let line = readingList.querySelector(`li[data-name="${CSS.escape(name)}"]`);
    if (!line) {
      line = document.createElement('li');
      line.dataset.name = name;
      readingList.append(line);
    }
    if (line.textContent !== text) line.textContent = text;
  }
}

// --- Connection -------------------------------------------------------------
// While the host is away the panel is greyed under a banner; when it is
// back the first message repaints everything and failed bitmaps are fetched
// again.
const status = document.getElementById('status');
const banner = document.getElementById('banner');
function connection(live) {
  panel.connected = live;
  status.textContent = live ? 'live' : 'disconnected';
  status.classList.toggle('lost', !live);
  banner.hidden = live;
  stage.classList.toggle('lost', !live);
  if (live) {
    refetchFailed();
    askLayout();
  }
}
const events = new EventSource('/events');
events.onopen = () => connection(true);
events.onerror = () => connection(false);
events.onmessage = (event) => {
  if (!panel.connected) connection(true);
  receive(JSON.parse(event.data));
};

// --- Sound ----------------------------------------------------------------

// Each of the module's sound buffers plays here as the host plays it: from
// where it starts, once or in a loop, at its volume, until it stops.
const sound = {
  context: null,
  muted: false,
  log: [],              // {a, id, b, loop, gain, clock, heard}: everything the host's buffers did
  buffers: new Map(),   // wave id -> Promise<AudioBuffer>
  playing: new Map(),   // host buffer -> {source, gain, loop, level, stopped}
  // Browsers let a page make sound only after a click: the first one starts it.
  start() {
    if (this.context) return;
    const Context = window.AudioContext || window.webkitAudioContext;
    if (Context) this.context = new Context();
  },
  // Hundredths of a decibel, 0 full, to a gain.
  gainOf(volume) { return Math.min(1, Math.pow(10, (volume || 0) / 2000)); },
  wave(id) {
    if (!this.buffers.has(id)) {
      const fetched = fetch(`/wave/${id}.wav`).then((r) => r.arrayBuffer())
        .then((bytes) => this.context.decodeAudioData(bytes));
      // A wave that failed to come is asked for again next time.
      fetched.catch(() => this.buffers.delete(id));
      this.buffers.set(id, fetched);
    }
    return this.buffers.get(id);
  },
  stopBuffer(b) {
    const now = this.playing.get(b);
    if (!now) return;
    this.playing.delete(b);
    now.stopped = true;
    if (now.source) try { now.source.stop(); } catch (e) { /* never started */ }
  },
  change(c) {
    const heard = !!this.context && !this.muted;
    const gain = this.gainOf(c.v);
    this.log.push({ a: c.a, id: c.id, b: c.b, loop: !!c.loop, gain, clock: panel.clock, heard });
    if (c.a === 'stop') return this.stopBuffer(c.b);
    const now = this.playing.get(c.b);
    if (c.a === 'loop' || c.a === 'volume') {
      if (!now) return;
      now.loop = !!c.loop;
      now.level = gain;
      if (now.source) now.source.loop = now.loop;
      if (now.gain) now.gain.gain.value = gain;
      return;
    }
    this.stopBuffer(c.b);
    if (!heard || !c.id) return;
    const playing = { loop: !!c.loop, level: gain, stopped: false };
    this.playing.set(c.b, playing);
    this.wave(c.id).then((buffer) => {
      if (playing.stopped) return;
      playing.source = this.context.createBufferSource();
      playing.source.buffer = buffer;
      playing.source.loop = playing.loop;
      playing.gain = this.context.createGain();
      playing.gain.gain.value = playing.level;
      playing.source.connect(playing.gain).connect(this.context.destination);
      playing.source.onended = () => { if (this.playing.get(c.b) === playing) this.playing.delete(c.b); };
      playing.source.start(0, Math.min(c.o || 0, buffer.duration));
    }).catch(() => {});
  },
};
panel.sound = sound;

const muteButton = document.getElementById('mute');
muteButton.addEventListener('click', () => {
  sound.start();
  sound.muted = !sound.muted;
  if (sound.muted) for (const b of [...sound.playing.keys()]) sound.stopBuffer(b);
  muteButton.setAttribute('aria-pressed', String(sound.muted));
  muteButton.textContent = sound.muted ? 'Unmute' : 'Mute';
});

// --- Requests to the host ----------------------------------------------------

function post(path, body) {
  return fetch(path, { method: 'POST', headers: { 'Content-Type': 'application/json' },
                       body: JSON.stringify(body ?? {}) }).then((r) => r.json()).catch(() => ({}));
}

const lightButton = document.getElementById('lighting');
function setLightButton(light) {
  panel.light = light;
  lightButton.textContent = light === 'day' ? 'Night' : 'Day';
}
lightButton.addEventListener('click', () => {
  sound.start();
  const light = panel.light === 'day' ? 'night' : 'day';
  setLightButton(light);
  post('/api/lighting', { lighting: light });
});

document.getElementById('approach').addEventListener('click', () => { sound.start(); post('/api/approach'); });

const flight = document.getElementById('flight');
const flightToggle = document.getElementById('flightToggle');
flightToggle.addEventListener('click', () => {
  flight.hidden = !flight.hidden;
  flightToggle.setAttribute('aria-expanded', String(!flight.hidden));
});
flight.addEventListener('input', (event) => {
  const input = event.target;
  input.parentElement.querySelector('output').textContent = input.value;
  post('/api/flight', { [input.name]: Number(input.value) });
});
for (const input of flight.querySelectorAll('input')) input.parentElement.querySelector('output').textContent = input.value;

const motionToggle = document.getElementById('motionToggle');
motionToggle.setAttribute('aria-pressed', String(panel.motion));
motionToggle.addEventListener('click', () => {
  panel.motion = !panel.motion;
  motionToggle.setAttribute('aria-pressed', String(panel.motion));
  if (!panel.motion) for (const list of panel.lists.values()) list.motion.clear();
});

// --- Areas ------------------------------------------------------------------

const cursors = { 1: 'n-resize', 2: 's-resize', 5: 'pointer' };
const tip = document.getElementById('tip');

// The topmost shown window under a stage point, and the point in its pixels.
function windowAt(px, py) {
  const placed = placements();
  for (let i = placed.length - 1; i >= 0; i--) {
    const { window, list, rect } = placed[i];
    if (px >= rect.x && py >= rect.y && px < rect.x + rect.w && py < rect.y + rect.h) {
      return { window, list, rect, x: (px - rect.x) * list.w / rect.w, y: (py - rect.y) * list.h / rect.h };
    }
  }
  return null;
}

const inside = (hit, [x, y, w, h]) => hit.x >= x && hit.y >= y && hit.x < x + w && hit.y < y + h;

// The topmost clickable area under the point, and the innermost text there.
function areaAt(hit) {
  const areas = hit.window.areas || [];
  for (let i = areas.length - 1; i >= 0; i--) if (areas[i][4] && inside(hit, areas[i])) return areas[i];
  return null;
}
function tipAt(hit) {
  const areas = hit.window.areas || [];
  for (let i = areas.length - 1; i >= 0; i--) if (areas[i][5] && inside(hit, areas[i])) return areas[i][5];
  return '';
}

// A finger is broad: a touch beside every area takes the nearest area within
// this many stage pixels, at its nearest point; the areas stay as they are.
const fingerReach = 22;
function nearestArea(hit) {
  let best = null, bestDistance = Infinity;
  const kx = hit.rect.w / hit.list.w, ky = hit.rect.h / hit.list.h;
  for (const area of hit.window.areas || []) {
    if (!area[4]) continue;
    const [x, y, w, h] = area;
    const nx = Math.min(Math.max(hit.x, x), x + w - 0.5), ny = Math.min(Math.max(hit.y, y), y + h - 0.5);
    const distance = Math.hypot((nx - hit.x) * kx, (ny - hit.y) * ky);
    if (distance < bestDistance) { best = { x: nx, y: ny }; bestDistance = distance; }
  }
  return bestDistance <= fingerReach ? best : null;
}

function showTip(text, clientX, clientY) {
  if (!text) { tip.hidden = true; return; }
  tip.textContent = text;
  tip.hidden = false;
  // Kept on the screen at its edges.
  const w = tip.offsetWidth, h = tip.offsetHeight;
  let left = clientX + 14, top = clientY + 16;
  if (left + w > window.innerWidth - 2) left = Math.max(2, clientX - w - 8);
  if (top + h > window.innerHeight - 2) top = Math.max(2, clientY - h - 8);
  tip.style.left = `${left}px`;
  tip.style.top = `${top}px`;
}

// --- Pressing: mouse, pen and finger ------------------------------------------
// A press's requests go to the host in order, one at a time: the press, the
// drags (only the latest point while one is on its way), the repeats while
// held, and before the release a last drag to where it was let go.

let held = null;  // {section, button, x, y, sent, chain, timer, pointer}

panel.unnamed = new Set();  // key events the host's reactions do not name
panel.sent = [];            // [event, value] of the key events this page's presses sent, latest last
function mouse(section, x, y, action, button) {
  return post('/api/mouse', { s: section, x, y, a: action, b: button, p: panel.id }).then((answer) => {
    if (Array.isArray(answer.open)) adoptOpen(answer.open);
    for (const event of answer.unnamed || []) panel.unnamed.add(event);
    for (const sent of answer.events || []) panel.sent.push(sent);
    if (panel.sent.length > 1000) panel.sent.splice(0, panel.sent.length - 1000);
    return answer;
  });
}

// This page's own open windows, as the host keeps them for it.
function adoptOpen(open) {
  if (panel.mine && open.length === panel.mine.size && open.every((s) => panel.mine.has(s))) return;
  panel.mine = new Set(open);
  askLayout();
}

function send(press, action, x = press.x, y = press.y) {
  press.chain = press.chain.then(() => mouse(press.section, x, y, action, press.button));
  return press.chain;
}

function press(section, x, y, button, pointer) {
  sound.start();
  const p = { section, button, x, y, sent: { x, y }, chain: Promise.resolve(), pointer, dragging: false };
  held = p;
  send(p, 'down');
  // A button held down repeats, as the simulator repeats it.
  p.timer = setTimeout(function repeat() {
    if (held !== p) return;
    send(p, 'repeat');
    p.timer = setTimeout(repeat, 100);
  }, 400);
  return p;
}

function dragTo(p, x, y) {
  p.x = x;
  p.y = y;
  if (p.dragging) return;
  p.dragging = true;
  const next = () => {
    if (p.sent.x === p.x && p.sent.y === p.y) { p.dragging = false; return; }
    p.sent = { x: p.x, y: p.y };
    send(p, 'drag', p.x, p.y).then(next);
  };
  next();
}

function letGo(p, x, y) {
  clearTimeout(p.timer);
  if (held === p) held = null;
  if (x !== undefined && (x !== p.sent.x || y !== p.sent.y)) {
    p.x = x;
    p.y = y;
    p.sent = { x, y };
    send(p, 'drag', x, y);
  }
  return send(p, 'up', p.x, p.y);
}

function stagePoint(event) {
  const box = screen.getBoundingClientRect();
  return { x: event.clientX - box.left, y: event.clientY - box.top };
}

screen.addEventListener('contextmenu', (event) => event.preventDefault());
screen.addEventListener('pointerdown', (event) => {
  const at = stagePoint(event);
  const hit = windowAt(at.x, at.y);
  if (!hit || held) return;
  let point = hit;
  if (event.pointerType !== 'mouse' && !areaAt(hit)) point = nearestArea(hit) || hit;
  screen.setPointerCapture(event.pointerId);
  press(hit.window.s, point.x, point.y, event.button === 2 ? 'right' : 'left', event.pointerId);
  tip.hidden = true;
});
screen.addEventListener('pointerup', (event) => {
  if (!held || held.pointer !== event.pointerId) return;
  const hit = windowAt(...Object.values(stagePoint(event)));
  if (hit && hit.window.s === held.section) letGo(held, hit.x, hit.y); else letGo(held);
});
screen.addEventListener('pointercancel', (event) => { if (held && held.pointer === event.pointerId) letGo(held); });
screen.addEventListener('pointerleave', () => { tip.hidden = true; });
screen.addEventListener('pointermove', (event) => {
  const at = stagePoint(event);
  const hit = windowAt(at.x, at.y);
  if (held) {
    if (held.pointer === event.pointerId && hit && hit.window.s === held.section) dragTo(held, hit.x, hit.y);
    return;
  }
  const area = hit && areaAt(hit);
  screen.style.cursor = area ? (cursors[area[4]] || 'default') : 'default';
  if (event.pointerType === 'mouse') showTip(hit ? tipAt(hit) : '', event.clientX, event.clientY);
});

// --- Turning: wheel and keys ----------------------------------------------------
// One notch or key press is one step. A knob split in halves (arrow cursors)
// is stepped by clicking the half that turns that way; any other area as
// its left click (up) and right click (down) turn it.

function turnTarget(window, area, up) {
  if (area[4] === 1 || area[4] === 2) {
    const want = up ? 1 : 2;
    if (area[4] === want) return { area, button: 'left' };
    const [x, y, w, h] = area;
    const touching = (b) => b[0] <= x + w + 1 && x <= b[0] + b[2] + 1 && b[1] <= y + h + 1 && y <= b[1] + b[3] + 1;
    const partner = (window.areas || []).find((b) => b !== area && b[4] === want && touching(b));
    return partner ? { area: partner, button: 'left' } : { area, button: 'left' };
  }
  return { area, button: up ? 'left' : 'right' };
}

function clickArea(section, area, button, x = area[0] + area[2] / 2, y = area[1] + area[3] / 2) {
  if (held) return Promise.resolve();
  const p = press(section, x, y, button, null);
  return letGo(p);
}

function turn(window, area, up, at) {
  const target = turnTarget(window, area, up);
  const point = target.area === area && at ? at : {};
  return clickArea(window.s, target.area, target.button, point.x, point.y);
}

screen.addEventListener('wheel', (event) => {
  const at = stagePoint(event);
  const hit = windowAt(at.x, at.y);
  const area = hit && areaAt(hit);
  if (!area) return;
  event.preventDefault();
  if (event.deltaY === 0) return;
  turn(hit.window, area, event.deltaY < 0, hit);
}, { passive: false });

// The keyboard walks the clickable areas of the shown windows, window by
// window, in the panel's own order; a ring on the overlay shows where it is.
function focusable() {
  if (panel.focusList) return panel.focusList;
  const list = [];
  for (const { window } of placements()) {
    for (const area of window.areas || []) if (area[4]) list.push({ window, area });
  }
  panel.focusList = list;
  return list;
}
panel.focusable = focusable;

function screenBox({ window, area }) {
  const place = placements().find((p) => p.window.s === window.s);
  if (!place) return { x: 0, y: 0, w: 0, h: 0 };
  const { rect, list } = place;
  const kx = rect.w / list.w, ky = rect.h / list.h;
  return { x: rect.x + area[0] * kx, y: rect.y + area[1] * ky, w: area[2] * kx, h: area[3] * ky };
}

function moveFocus(step) {
  const list = focusable();
  const next = panel.focus + step;
  if (next < 0 || next >= list.length) return false;
  panel.focus = next;
  panel.overlayDirty = true;
  const target = list[next];
  const box = screenBox(target);
  const text = target.area[5] || 'Control';
  screen.setAttribute('aria-label', `${text}, ${next + 1} of ${list.length}`);
  const stageBox = screen.getBoundingClientRect();
  showTip(target.area[5], stageBox.left + box.x + box.w / 2, stageBox.top + box.y + box.h);
  return true;
}

screen.addEventListener('focus', () => {
  // Coming in, the ring stands on the first area (or where it was left).
  if (panel.focus < 0 || panel.focus >= focusable().length) {
    panel.focus = -1;
    moveFocus(1);
  }
  panel.overlayDirty = true;
});
screen.addEventListener('blur', () => { panel.overlayDirty = true; tip.hidden = true; });
screen.addEventListener('keydown', (event) => {
  const focused = focusable()[panel.focus];
  if (event.key === 'Tab') {
    // Tab leaves the panel only past its last area (Shift+Tab its first).
    if (moveFocus(event.shiftKey ? -1 : 1)) event.preventDefault();
    return;
  }
  if (!focused) return;
  if (event.key === 'Enter' || event.key === ' ') {
    event.preventDefault();
    clickArea(focused.window.s, focused.area, 'left');
  } else if (['+', '=', 'ArrowUp', 'ArrowRight'].includes(event.key)) {
    event.preventDefault();
    turn(focused.window, focused.area, true);
  } else if (['-', '_', 'ArrowDown', 'ArrowLeft'].includes(event.key)) {
    event.preventDefault();
    turn(focused.window, focused.area, false);
  }
});
