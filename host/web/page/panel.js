// The live panel page: paints the display lists the host pushes, one canvas
// for the whole screen, and sends the mouse, the flight values and the
// lighting back. Bitmaps and waves are fetched once each.
'use strict';

const panel = {
  lists: new Map(),   // section -> {w, h, items}
  open: [],           // open windows, as the host lists them
  errors: [],
  frame: 0,
  clock: 0,
  light: 'day',
  dirty: true,
  paints: 0,
  frames: 0,          // animation frames seen, for the frame-rate measure
  connected: false,
};
window.livePanel = panel;

const screen = document.getElementById('screen');
const ctx = screen.getContext('2d');

// --- Bitmaps --------------------------------------------------------------

const images = new Map();    // url -> Image (null while loading)
panel.images = images;
const variants = new Map();  // url|transparency|light -> canvas

function imageUrl(item) {
  return item.i !== undefined ? `/bitmap/${item.i}.png` : `/background/${item.g}.png`;
}

function loadImage(url) {
  if (images.has(url)) return images.get(url);
  images.set(url, null);
  const image = new Image();
  image.onload = () => { images.set(url, image); damageAll(); };
  image.onerror = () => images.set(url, undefined);
  image.src = url;
  return null;
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

function paintItem(c, item) {
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
      const [xx, yx, xy, yy, x0, y0] = item.p;
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

// Where each open window lies on the screen, bottom first, as the host's
// screen layout places it on a screen of the page's size; asked for again
// whenever the page's size or the open windows change.
panel.layout = { w: 0, h: 0, windows: [] };
let layoutAsked = 0;
function askLayout() {
  const asked = ++layoutAsked;
  const size = { w: screen.width, h: screen.height };
  post('/api/layout', size).then((answer) => {
    // Only the latest answer, and only for the size the page still has.
    if (asked !== layoutAsked || !Array.isArray(answer.windows)) return;
    panel.layout = answer;
    panel.dirty = true;
  });
}

function placements() {
  const placed = [];
  for (const rect of panel.layout.windows) {
    const window = panel.open.find((w) => w.s === rect.s);
    const list = panel.lists.get(rect.s);
    if (window && list) placed.push({ window, list, rect });
  }
  return placed;
}
panel.placements = placements;

// Each window keeps its own picture and repaints only the boxes that
// changed: the items an update replaced, where they were and where they are.
function damageAll() {
  for (const list of panel.lists.values()) list.damage = null;
  panel.dirty = true;
}

function overlaps(a, b) {
  return a[0] < b[0] + b[2] && b[0] < a[0] + a[2] && a[1] < b[1] + b[3] && b[1] < a[1] + a[3];
}

function repaintWindow(list) {
  if (!list.canvas || list.canvas.width !== list.w || list.canvas.height !== list.h) {
    list.canvas = document.createElement('canvas');
    list.canvas.width = list.w;
    list.canvas.height = list.h;
    list.damage = null;
  }
  const c = list.canvas.getContext('2d');
  if (list.damage === null) {
    c.clearRect(0, 0, list.w, list.h);
    paintList(c, list);
  } else {
    for (const box of list.damage) {
      // Whole pixels, so that edges drawn twice blend no differently.
      const x = Math.floor(box[0]), y = Math.floor(box[1]);
      const area = [x, y, Math.ceil(box[0] + box[2]) - x, Math.ceil(box[1] + box[3]) - y];
      c.save();
      c.beginPath();
      c.rect(...area);
      c.clip();
      c.clearRect(...area);
      for (const item of list.items) if (item && overlaps(item.c, area)) paintItem(c, item);
      c.restore();
    }
  }
  list.damage = [];
}

function paint() {
  ctx.setTransform(1, 0, 0, 1, 0, 0);
  ctx.fillStyle = '#000';
  ctx.fillRect(0, 0, screen.width, screen.height);
  for (const { list, rect } of placements()) {
    if (list.damage === null || list.damage.length) repaintWindow(list);
    ctx.imageSmoothingEnabled = true;
    ctx.drawImage(list.canvas, rect.x, rect.y, rect.w, rect.h);
  }
  panel.paints++;
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

function resize() {
  screen.width = window.innerWidth - (panel.reservedRight || 0);  // design mode's side panel
  screen.height = window.innerHeight;
  panel.dirty = true;
  askLayout();
}
const damageLimit = 40;  // more boxes than this: the whole window
window.addEventListener('resize', resize);
resize();

function animate() {
  panel.frames++;
  if (panel.dirty) {
    panel.dirty = false;
    paint();
  }
  requestAnimationFrame(animate);
}
requestAnimationFrame(animate);

// --- Updates from the host --------------------------------------------------

function applyWindow(change) {
  let list = panel.lists.get(change.s);
  if (!list || list.w !== change.w || list.h !== change.h) {
    list = { w: change.w, h: change.h, items: [], damage: null };
    panel.lists.set(change.s, list);
  }
  const damage = list.damage;
  const mark = (item) => { if (damage && item) damage.push(item.c); };
  for (let i = change.n; i < list.items.length; i++) mark(list.items[i]);
  list.items.length = change.n;
  for (const [index, item] of change.set) {
    mark(list.items[index]);
    mark(item);
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
  if (message.t === 'full') {
    panel.lists.clear();
    panel.errors = message.errors || [];
    showErrors();
  }
  for (const change of message.windows || []) applyWindow(change);
  if (message.open) {
    panel.open = message.open;
    askLayout();
    for (const section of [...panel.lists.keys()]) {
      if (!panel.open.some((window) => window.s === section)) panel.lists.delete(section);
    }
  }
  if (message.light) setLightButton(message.light);
  panel.frame = message.frame;
  panel.clock = message.clock;
  for (const change of message.sounds || []) sound.change(change);
  for (const line of message.echo || []) echo(line);
  panel.dirty = true;
}

function echo(line) {
  const list = document.getElementById('echo');
  list.append(Object.assign(document.createElement('li'), { textContent: line.trim() }));
  while (list.children.length > 4) list.firstChild.remove();
}

const status = document.getElementById('status');
const events = new EventSource('/events');
events.onopen = () => { panel.connected = true; status.textContent = 'live'; };
events.onerror = () => { panel.connected = false; status.textContent = 'reconnecting'; };
events.onmessage = (event) => receive(JSON.parse(event.data));

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
      this.buffers.set(id, fetch(`/wave/${id}.wav`).then((r) => r.arrayBuffer())
        .then((bytes) => this.context.decodeAudioData(bytes)));
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
document.getElementById('flightToggle').addEventListener('click', () => { flight.hidden = !flight.hidden; });
flight.addEventListener('input', (event) => {
  const input = event.target;
  input.parentElement.querySelector('output').textContent = input.value;
  post('/api/flight', { [input.name]: Number(input.value) });
});
for (const input of flight.querySelectorAll('input')) input.parentElement.querySelector('output').textContent = input.value;

// --- Mouse ------------------------------------------------------------------

const cursors = { 1: 'n-resize', 2: 's-resize', 5: 'pointer' };
const tip = document.getElementById('tip');

// The topmost open window under a screen point, and the point in its pixels.
function windowAt(px, py) {
  const placed = placements();
  for (let i = placed.length - 1; i >= 0; i--) {
    const { window, list, rect } = placed[i];
    if (px >= rect.x && py >= rect.y && px < rect.x + rect.w && py < rect.y + rect.h) {
      return { window, x: (px - rect.x) * list.w / rect.w, y: (py - rect.y) * list.h / rect.h };
    }
  }
  return null;
}

function areaAt(hit) {
  const areas = hit.window.areas || [];
  for (let i = areas.length - 1; i >= 0; i--) {
    const [x, y, w, h] = areas[i];
    if (hit.x >= x && hit.y >= y && hit.x < x + w && hit.y < y + h) return areas[i];
  }
  return null;
}

let held = null;      // {section, button, repeat timer}
let dragSent = true;  // one drag in flight at a time

function mouse(section, x, y, action, button) {
  return post('/api/mouse', { s: section, x, y, a: action, b: button });
}

screen.addEventListener('contextmenu', (event) => event.preventDefault());
screen.addEventListener('mousedown', (event) => {
  sound.start();
  const hit = windowAt(event.offsetX, event.offsetY);
  if (!hit || held) return;
  const button = event.button === 2 ? 'right' : 'left';
  const section = hit.window.s;
  held = { section, button, x: hit.x, y: hit.y };
  mouse(section, hit.x, hit.y, 'down', button);
  // A button held down repeats, as the simulator repeats it.
  held.timer = setTimeout(function repeat() {
    if (!held) return;
    mouse(held.section, held.x, held.y, 'repeat', held.button);
    held.timer = setTimeout(repeat, 100);
  }, 400);
});
function release(event) {
  if (!held) return;
  clearTimeout(held.timer);
  const hit = windowAt(event.offsetX, event.offsetY);
  const at = hit && hit.window.s === held.section ? hit : held;
  mouse(held.section, at.x, at.y, 'up', held.button);
  held = null;
}
screen.addEventListener('mouseup', release);
screen.addEventListener('mouseleave', (event) => { release(event); tip.hidden = true; });
screen.addEventListener('mousemove', (event) => {
  const hit = windowAt(event.offsetX, event.offsetY);
  if (held) {
    if (hit && hit.window.s === held.section) {
      held.x = hit.x;
      held.y = hit.y;
      if (dragSent) {
        dragSent = false;
        mouse(held.section, hit.x, hit.y, 'drag', held.button).finally(() => { dragSent = true; });
      }
    }
    return;
  }
  const area = hit && areaAt(hit);
  screen.style.cursor = area ? (cursors[area[4]] || 'default') : 'default';
  if (area && area[5]) {
    tip.textContent = area[5];
    tip.style.left = `${event.clientX + 14}px`;
    tip.style.top = `${event.clientY + 16}px`;
    tip.hidden = false;
  } else {
    tip.hidden = true;
  }
});
