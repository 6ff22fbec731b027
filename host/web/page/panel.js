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
const ring = document.getElementById('ring');
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

function paintList(c, list) {
  for (const item of list.items) if (item) paintItem(c, item, item.p, variant);
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

// A window's canvases off the page: its own and its hot boxes'.
function dropCanvas(list) {
  if (list.canvas) list.canvas.remove();
  list.canvas = null;
  coolAll(list);
}

function placeWindows() {
  const placed = placements();
  const ratio = dpr();
  for (const [section, list] of panel.lists) {
    const place = placed.find((p) => p.window.s === section);
    if (!place) {
      dropCanvas(list);
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
    // Hot boxes placed anew: painted whole again, and made hot again if
    // they go on changing.
    if (list.hot && list.hot.size) list.damage = null;
    list.rect = rect;
    Object.assign(list.canvas.style, { left: `${rect.x}px`, top: `${rect.y}px`, width: `${rect.w}px`,
                                       height: `${rect.h}px`, zIndex: String(placed.indexOf(place)) });
    if (!list.canvas.isConnected) stage.insertBefore(list.canvas, screen);
  }
  panel.focusList = null;
  panel.overlayDirty = true;
  panel.dirty = true;
}

// The damaged boxes, each once, without those lying inside another: the
// items of one gauge share its box.
function distinctBoxes(boxes) {
  const kept = [];
  for (const box of boxes) {
    if (kept.some((k) => within(box, k))) continue;
    for (let i = kept.length - 1; i >= 0; i--) if (within(kept[i], box)) kept.splice(i, 1);
    kept.push(box);
  }
  return kept;
}

// A box in whole device pixels of the window's canvas, so that edges drawn
// twice blend no differently.
function devicePixels(list, box) {
  const [kx, ky] = scaleOf(list);
  const x = Math.floor(box[0] * kx), y = Math.floor(box[1] * ky);
  return [x, y, Math.ceil((box[0] + box[2]) * kx) - x, Math.ceil((box[1] + box[3]) * ky) - y];
}

// --- Hot boxes --------------------------------------------------------------
// A box repainted update after update (the attitude's card, a needle) gets a
// small canvas of its own over its window's, painted by the motion worker
// (motion.js) off the page's main thread: the worker glides its needles at
// the display's rate while the page itself rests between the host's
// updates, and the browser sends the screen only that small canvas each
// frame, not the window's. A browser without canvases for workers has the
// page paint the small canvas itself. Once the box shows, the window's
// canvas is left clear beneath it, so that nothing stale shows through
// where the box is transparent; a box still for a while goes back to the
// window's canvas.
const hotAfter = 3;       // paints in a row that make a box hot
const hotIdleMs = 2000;   // still this long, it goes back
const hotMost = 16;       // hot boxes a window has at most

const motionWorker = (() => {
  if (!window.Worker || !HTMLCanvasElement.prototype.transferControlToOffscreen || query.get('worker') === 'off') {
    return null;
  }
  try {
    return new Worker('motion.js');
  } catch {
    return null;
  }
})();
const hotBoxes = new Map();     // worker's id -> {list, hot}
const imageIds = new WeakMap();  // ImageBitmap -> the id the worker keeps it under
let lastHotId = 0, lastImageId = 0;
const countsAsked = [];  // answers awaited from the worker, oldest first
if (motionWorker) {
  motionWorker.onmessage = ({ data }) => {
    if (data.t === 'shown') {
      const found = hotBoxes.get(data.id);
      if (found) clearBeneath(found.list, found.hot);
    } else if (data.t === 'frames' && countsAsked.length) {
      countsAsked.shift()(data.n);
    }
  };
}
// Frames painted by the page and by its motion worker, for the measure.
panel.frameCounts = () => new Promise((resolve) => {
  if (!motionWorker) return resolve({ page: panel.frames, motion: 0 });
  countsAsked.push((n) => resolve({ page: panel.frames, motion: n }));
  motionWorker.postMessage({ t: 'frames' });
});

const scaleOf = (list) => [list.canvas.width / list.w, list.canvas.height / list.h];
const areaOf = (list, [x, y, w, h]) => {
  const [kx, ky] = scaleOf(list);
  return [x / kx, y / ky, w / kx, h / ky];
};
// Whether a fill that hides everything beneath lies over the whole box: its
// canvas then needs no transparency, which the browser draws far faster.
function opaque(list, pixels) {
  const area = areaOf(list, pixels);
  return list.items.some((item) => item && item.k === 'f' && (item.a ?? 1) >= 1 &&
                                   within(area, item.x) && within(area, item.c));
}

function makeHot(list, key, pixels) {
  const canvas = document.createElement('canvas');
  canvas.className = 'hot';
  canvas.setAttribute('aria-hidden', 'true');
  canvas.width = pixels[2];
  canvas.height = pixels[3];
  const sx = list.rect.w / list.canvas.width, sy = list.rect.h / list.canvas.height;
  Object.assign(canvas.style, { left: `${list.rect.x + pixels[0] * sx}px`, top: `${list.rect.y + pixels[1] * sy}px`,
                                width: `${pixels[2] * sx}px`, height: `${pixels[3] * sy}px`,
                                zIndex: list.canvas.style.zIndex });
  const hot = { pixels, canvas, last: 0, cleared: false, id: 0, owned: [], opaque: opaque(list, pixels) };
  if (motionWorker) {
    hot.id = ++lastHotId;
    const offscreen = canvas.transferControlToOffscreen();
    motionWorker.postMessage({ t: 'box', id: hot.id, canvas: offscreen, pixels, k: scaleOf(list), opaque: hot.opaque },
                             [offscreen]);
    hotBoxes.set(hot.id, { list, hot });
  } else {
    hot.context = canvas.getContext('2d', { alpha: !hot.opaque });
  }
  list.canvas.after(canvas);
  list.hot.set(key, hot);
}

function cool(list, key) {
  const hot = list.hot.get(key);
  hot.canvas.remove();
  list.hot.delete(key);
  if (hot.id) {
    motionWorker.postMessage({ t: 'drop', id: hot.id });
    hotBoxes.delete(hot.id);
  }
  return hot.pixels;
}

function coolAll(list) {
  if (list.hot) for (const key of [...list.hot.keys()]) cool(list, key);
  list.hot = new Map();     // key -> {pixels, canvas, last, cleared, id}
  list.streak = new Map();  // key -> paints in a row it was repainted
  list.owned = new Set();   // items lying in the worker's boxes: it glides them
}

function clearBeneath(list, hot) {
  if (!list.canvas) return;
  const c = list.canvas.getContext('2d');
  c.setTransform(1, 0, 0, 1, 0, 0);
  c.clearRect(...hot.pixels);
  hot.cleared = true;
}

// Hands the worker its box's items as they stand, the bitmaps it has not
// had yet and the glides under way; false when a bitmap is not ready to be
// handed over (still being made) or the box no longer as opaque as its
// canvas, and the page paints the box instead.
function sendHot(list, hot) {
  if (hot.opaque && !opaque(list, hot.pixels)) return false;  // its canvas shows no transparency
  const area = areaOf(list, hot.pixels);
  const items = [], motion = [], images = [];
  hot.owned = [];
  for (let i = 0; i < list.items.length; i++) {
    const item = list.items[i];
    if (!item || !overlaps(item.c, area)) continue;
    let img = 0;
    const image = item.k === 'b' ? variant(item) : null;
    if (image) {
      if (!(image instanceof ImageBitmap)) return false;
      if (!imageIds.has(image)) {
        imageIds.set(image, ++lastImageId);
        images.push([lastImageId, image]);
      }
      img = imageIds.get(image);
    }
    const m = list.motion.get(i);
    if (m) motion.push([items.length, { ...m, start: performance.timeOrigin + m.start }]);
    if (within(item.c, area)) hot.owned.push(i);
    items.push({ ...item, img });
  }
  motionWorker.postMessage({ t: 'items', id: hot.id, items, motion, images });
  return true;
}

// Repaints the windows at once when all they have to paint is in the
// worker's boxes; false, painting nothing, when the page has its own to.
function handHotOver(now) {
  const damaged = [...panel.lists.values()].filter((list) => list.damage === null || list.damage.length);
  const workers = (list) => list.canvas && list.hot && list.damage !== null && distinctBoxes(list.damage).every((box) => {
    const hot = list.hot.get(devicePixels(list, box).join());
    return hot && hot.id;
  });
  if (!damaged.every(workers)) return false;
  for (const list of damaged) repaintWindow(list, now);
  return true;
}

function repaintWindow(list, now) {
  const c = list.canvas.getContext('2d');
  const placementOf = (item, index) => moving(list, index, now) || item.p;
  if (!list.hot) coolAll(list);
  if (list.damage === null) {
    coolAll(list);
    c.setTransform(1, 0, 0, 1, 0, 0);
    c.clearRect(0, 0, list.canvas.width, list.canvas.height);
    const [kx, ky] = scaleOf(list);
    c.setTransform(kx, 0, 0, ky, 0, 0);
    list.items.forEach((item, i) => { if (item) paintItem(c, item, placementOf(item, i), variant); });
    list.damage = [];
    return;
  }
  const boxes = distinctBoxes(list.damage).map((box) => devicePixels(list, box));
  const streak = new Map();
  for (const pixels of boxes) {
    const key = pixels.join();
    streak.set(key, (list.streak.get(key) || 0) + 1);
    if (!list.hot.has(key) && streak.get(key) >= hotAfter && list.hot.size < hotMost) makeHot(list, key, pixels);
  }
  list.streak = streak;
  for (const [key, hot] of list.hot) {
    if (!streak.has(key) && now - hot.last > hotIdleMs) boxes.push(cool(list, key));
  }
  // What the window's canvas paints shows under a hot box only if the hot
  // box is painted again too, and a hot box under another as well.
  const stale = new Set(boxes.filter((pixels) => list.hot.has(pixels.join())).map((pixels) => pixels.join()));
  const onWindow = boxes.filter((pixels) => !list.hot.has(pixels.join()));
  for (let grew = true; grew;) {
    grew = false;
    for (const [key, hot] of list.hot) {
      if (stale.has(key)) continue;
      const under = (pixels) => overlaps(pixels, hot.pixels);
      if (onWindow.some(under) || [...stale].some((k) => under(list.hot.get(k).pixels))) {
        stale.add(key);
        grew = true;
      }
    }
  }
  for (const [key, hot] of list.hot) {
    if (!stale.has(key)) continue;
    hot.last = now;
    if (!hot.id) {
      if (hot.opaque && !opaque(list, hot.pixels)) {
        onWindow.push(cool(list, key));
        continue;
      }
      paintBox(hot.context, list.items, scaleOf(list), hot.pixels, hot.pixels, placementOf, variant);
    } else if (!sendHot(list, hot)) {
      onWindow.push(cool(list, key));
    }
  }
  for (const pixels of onWindow) paintBox(c, list.items, scaleOf(list), pixels, [0, 0], placementOf, variant);
  list.owned = new Set([...list.hot.values()].flatMap((hot) => hot.owned));
  // The window's canvas kept clear beneath its hot boxes once they show:
  // the page's own at once, the worker's when it says so.
  for (const hot of list.hot.values()) {
    const shown = !hot.id || hot.cleared;
    if (shown && (!hot.cleared || onWindow.some((pixels) => overlaps(pixels, hot.pixels)))) clearBeneath(list, hot);
  }
  list.damage = [];
}

// --- Motion -----------------------------------------------------------------

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
  const placement = glide(m, now);
  if (!placement) list.motion.delete(index);
  return placement;
}

// Items the motion worker glides are its own to paint.
function damageMoving(list) {
  if (!list.motion || !list.motion.size || list.damage === null) return;
  for (const index of list.motion.keys()) {
    if (list.items[index] && !(list.owned && list.owned.has(index))) list.damage.push(list.items[index].c);
  }
}

// One window painted whole at its own size, or another, for comparing with
// the host's own picture and with the page's canvases.
panel.paintWindow = (section, width, height) => {
  const list = panel.lists.get(section);
  if (!list) return null;
  const canvas = document.createElement('canvas');
  canvas.width = width || list.w;
  canvas.height = height || list.h;
  const c = canvas.getContext('2d');
  c.scale(canvas.width / list.w, canvas.height / list.h);
  paintList(c, list);
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

// The keyboard's focus ring over the windows: an element of its own, for a
// canvas over the whole stage would have the browser draw all of it again
// at every frame any gauge paints.
function paintOverlay() {
  panel.overlayDirty = false;
  const area = document.activeElement === screen ? focusable()[panel.focus] : null;
  ring.hidden = !area;
  if (!area) return;
  const r = screenBox(area);
  Object.assign(ring.style, { left: `${r.x - 4}px`, top: `${r.y - 4}px`, width: `${r.w + 8}px`, height: `${r.h + 8}px` });
}

function resize() {
  placeWindows();
  askLayout();
}
const damageLimit = 40;  // more boxes than this: the whole window
new ResizeObserver(resize).observe(stage);
matchMedia(`(resolution: ${dpr()}dppx)`).addEventListener('change', resize);

let pendingCost = 0;  // time taken in by updates since the last paint
function takeCost(painting) {
  if (pendingCost) {
    panel.costs.push(pendingCost + painting);
    if (panel.costs.length > 600) panel.costs.shift();
  }
  pendingCost = 0;
}
function anyGliding() {
  for (const list of panel.lists.values()) {
    for (const index of list.motion.keys()) if (!(list.owned && list.owned.has(index))) return true;
  }
  return false;
}
function animate(now) {
  frameAsked = false;
  panel.frames++;
  panel.dirty = false;
  takeCost(paint(now));
  if (anyGliding()) askFrame();
}
askFrame();

// --- Updates from the host --------------------------------------------------

function applyWindow(change, now) {
  let list = panel.lists.get(change.s);
  if (!list || list.w !== change.w || list.h !== change.h) {
    if (list) dropCanvas(list);
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
    for (const list of panel.lists.values()) dropCanvas(list);
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
        dropCanvas(panel.lists.get(section));
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
  // An update that changed no list (the readings, a sound) paints nothing;
  // one that changed only boxes the motion worker paints goes to it at once,
  // and the page asks no frame of its own.
  let handed = false;
  if (message.t === 'full' || message.open || ((message.windows || []).length && !(handed = handHotOver(began)))) {
    panel.dirty = true;
  }
  pendingCost += performance.now() - began;
  if (handed) takeCost(0);
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
