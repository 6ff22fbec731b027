// The live page's motion worker: paints the page's hot boxes, each on a
// small canvas handed over by the page, from its copy of the items over the
// box, and glides their needles at the display's rate between the host's
// updates, so that the page's main thread rests between them.
'use strict';
importScripts('paint.js');

const boxes = new Map();   // id -> {c, pixels, k, items, motion, dirty, shown, layers}
const images = new Map();  // id -> ImageBitmap, as the page handed them over
const imageOf = (item) => images.get(item.img) || null;
let frames = 0;            // frames painted, for the page's measure
let asked = false;
const nextFrame = self.requestAnimationFrame ? (f) => requestAnimationFrame(f)
  : (f) => setTimeout(() => f(performance.now()), 16);

function ask() {
  if (asked) return;
  asked = true;
  nextFrame(frame);
}

onmessage = ({ data }) => {
  if (data.t === 'box') {
    boxes.set(data.id, { c: data.canvas.getContext('2d', { alpha: !data.opaque }), pixels: data.pixels, k: data.k, items: [],
                         motion: new Map(), dirty: false, shown: false });
  } else if (data.t === 'drop') {
    boxes.delete(data.id);
  } else if (data.t === 'items') {
    for (const [id, image] of data.images) images.set(id, image);
    const box = boxes.get(data.id);
    if (!box) return;
    box.items = data.items;
    box.motion = new Map(data.motion);
    box.layers = box.motion.size ? layersOf(box) : null;
    box.dirty = true;
    ask();
  } else if (data.t === 'frames') {
    postMessage({ t: 'frames', n: frames });
  }
};

// The items below the first gliding one and above the last, each painted
// once into a picture of its own while they stand still: a frame then
// paints two pictures and the gliding items between them.
function layersOf(box) {
  const gliding = [...box.motion.keys()];
  const first = Math.min(...gliding), last = Math.max(...gliding);
  const [, , w, h] = box.pixels;
  const layer = (items, old) => {
    const key = JSON.stringify(items);
    if (old && old.key === key) return old;
    const canvas = new OffscreenCanvas(w, h);
    paintBox(canvas.getContext('2d'), items, box.k, box.pixels, box.pixels, (item) => item.p, imageOf);
    return { key, canvas };
  };
  const old = box.layers || {};
  return { between: box.items.map((item, i) => (i >= first && i <= last ? item : null)),
           under: layer(box.items.slice(0, first), old.under), over: layer(box.items.slice(last + 1), old.over) };
}

function paintGliding(box, placementOf) {
  const { between, under, over } = box.layers;
  const { c } = box;
  const [, , w, h] = box.pixels;
  c.setTransform(1, 0, 0, 1, 0, 0);
  c.clearRect(0, 0, w, h);
  c.drawImage(under.canvas, 0, 0);
  paintBox(c, between, box.k, box.pixels, box.pixels, placementOf, imageOf, false);
  c.setTransform(1, 0, 0, 1, 0, 0);
  c.drawImage(over.canvas, 0, 0);
}

function frame(now) {
  asked = false;
  const at = performance.timeOrigin + now;  // the page's glides start in the same time
  let painted = false;
  for (const [id, box] of boxes) {
    if (!box.dirty && !box.motion.size) continue;
    box.dirty = false;
    const placementOf = (item, i) => {
      const m = box.motion.get(i);
      const placement = m && glide(m, at);
      if (m && !placement) box.motion.delete(i);
      return placement || item.p;
    };
    // A glide's last frame too, so that the picture at rest is the layers'.
    if (box.layers) {
      paintGliding(box, placementOf);
    } else {
      paintBox(box.c, box.items, box.k, box.pixels, box.pixels, placementOf, imageOf);
    }
    painted = true;
    if (!box.shown) {
      box.shown = true;
      postMessage({ t: 'shown', id });
    }
    if (box.motion.size) ask();
  }
  if (painted) frames++;
}
