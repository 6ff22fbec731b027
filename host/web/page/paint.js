// What the live page and its motion worker both paint with: a display
// list's items on a 2D canvas (the page's or an OffscreenCanvas), and
// needles gliding between the host's updates.
'use strict';

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

// `imageOf` gives a bitmap item's picture, or null while there is none.
function paintItem(c, item, placement, imageOf) {
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
    const image = imageOf(item);
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

// Paints the items over one box of a window, given in device pixels of the
// window's canvas (k device pixels a list unit), on `c`, whose origin lies at
// (ox, oy) of the window's; over what the box holds, or on it cleared.
function paintBox(c, items, [kx, ky], [x, y, w, h], [ox, oy], placementOf, imageOf, clear = true) {
  const area = [x / kx, y / ky, w / kx, h / ky];
  c.save();
  c.setTransform(1, 0, 0, 1, -ox, -oy);
  c.beginPath();
  c.rect(x, y, w, h);
  c.clip();
  if (clear) c.clearRect(x, y, w, h);
  c.setTransform(kx, 0, 0, ky, -ox, -oy);
  items.forEach((item, i) => {
    if (item && overlaps(item.c, area)) paintItem(c, item, placementOf(item, i), imageOf);
  });
  c.restore();
}

// Boxes [x, y, w, h]: whether two overlap, whether one lies within another.
function overlaps(a, b) {
  return a[0] < b[0] + b[2] && b[0] < a[0] + a[2] && a[1] < b[1] + b[3] && b[1] < a[1] + a[3];
}
function within(a, b) {
  return a[0] >= b[0] && a[1] >= b[1] && a[0] + a[2] <= b[0] + b[2] && a[1] + a[3] <= b[1] + b[3];
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

// The placement of a gliding item at `now`, or null once it has arrived.
function glide(m, now) {
  const t = (now - m.start) / updatePeriod;
  if (t >= 1) return null;
  const a = m.from.angle + m.turn * t;
  const sx = m.from.sx + (m.to.sx - m.from.sx) * t, sy = m.from.sy + (m.to.sy - m.from.sy) * t;
  const cos = Math.cos(a), sin = Math.sin(a);
  return [cos * sx, sin * sx, -sin * sy * m.to.flip, cos * sy * m.to.flip,
          m.from.x0 + (m.to.x0 - m.from.x0) * t, m.from.y0 + (m.to.y0 - m.from.y0) * t];
}

