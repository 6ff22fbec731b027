// Design mode (serve --edit): saves that change nothing give the same bytes,
// refused edits change nothing, a file changed on disk is not overwritten;
// in chromium a gauge dragged, resized by a handle and added from the
// palette, undone back to the file's bytes, and design mode's picture.
// node design_test.mjs PANELHOST PANEL.CFG [SCREENSHOT.png]
import { copyFileSync, mkdtempSync, readFileSync, readdirSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
import puppeteer from 'puppeteer-core';
import { serve, check } from './serve.mjs';

const [panelhost, config, screenshot] = process.argv.slice(2);
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const post = (url, path, body) => fetch(url + path, { method: 'POST', headers: { 'Content-Type': 'application/json' },
                                                      body: typeof body === 'string' ? body : JSON.stringify(body) });
const folder = mkdtempSync(join(tmpdir(), 'design-'));
// A copy of a configuration (with the files beside it) to edit.
function copy(from, name, bytes) {
  const into = join(folder, name);
  const source = dirname(from);
  readdirSync(source).forEach((f) => f.match(/\.(bmp|scn)$/i) && copyFileSync(join(source, f), join(folder, f)));
  writeFileSync(into, bytes ?? readFileSync(from));
  return into;
}
const changedLines = (a, b) => {
  const x = a.split('\n'), y = b.split('\n');
  return x.length === y.length ? x.map((line, i) => (line === y[i] ? null : [line, y[i]])).filter(Boolean) : null;
};

let browser;
let server;
try {
  // --- By HTTP ---------------------------------------------------------------
  const odd = '\ufeff; by hand\r\n[Window Titles]\r\nWindow00=Main\r\n\r\n[Window00]\r\nSIZE_MM = 800,600  ; design\r\n' +
    'Gauge00 = QR417_Instr!Airspeed,10,10,200  // speed\r\nGauge01=Other!Clock,  300 ,  10\r\nmine=kept\r\n[Extra]\r\nx=1';
  const configs = [readFileSync(config), readFileSync(join(dirname(config), '../../tests/panel/configs/quirks.cfg')),
    readFileSync(join(dirname(config), '../../tests/panel/configs/light_aircraft.cfg')), Buffer.from(odd, 'utf8')];
  for (const [i, bytes] of configs.entries()) {
    const path = copy(config, `panel${i}.cfg`, bytes);
    server = await serve(panelhost, [path, '--edit']);
    const saved = await post(server.url, '/api/save', {});
    check(saved.ok, `config ${i}: save answered ${saved.status}`);
    check(readFileSync(path).equals(bytes), `config ${i}: a save with no change changed the bytes`);
    check(readFileSync(path + '.bak').equals(bytes), `config ${i}: no backup of the bytes read`);
    if (i === 3) {
      // Each refused edit says which change and why, and changes nothing.
      const refused = [
        ['not json', 400, /JSON/],
        [{ changes: 'move' }, 400, /changes/],
        [{ changes: [{ op: 'spin', window: 'Window00' }] }, 400, /op move/],
        [{ changes: [{ op: 'move', window: 'Window00', gauge: 'gauge00', x: 1.5, y: 2 }] }, 400, /whole number/],
        [{ changes: [{ op: 'move', window: 'Window00', gauge: 'gauge00', x: 5, y: 5 },
                     { op: 'move', window: 'Window00', gauge: 'gauge00', x: 800, y: 5 }] }, 422, /change 1 \(move\): expected x from 0 to 799/],
        [{ changes: [{ op: 'move', window: 'Window07', gauge: 'gauge00', x: 5, y: 5 }] }, 422, /no window/],
        [{ changes: [{ op: 'resize', window: 'Window00', gauge: 'gauge00', width: -3 }] }, 422, /width from 1/],
        [{ changes: [{ op: 'add', window: 'Window00', name: 'QR417_Instr!Airpseed', x: 1, y: 1 }] }, 422, /table/],
        [{ changes: [{ op: 'params', window: 'Window00', gauge: 'gauge00', text: 's1' }] }, 422, /comment/],
        [{ changes: [{ op: 'window', window: 'Window00', key: 'size_mm', value: '0,5' }] }, 422, /unreadable|size_mm=/],
        [{ changes: [{ op: 'window', window: 'Window00', key: 'file', value: 'a.bmp' }] }, 422, /key size_mm/],
      ];
      for (const [body, status, reason] of refused) {
        const answer = await post(server.url, '/api/edit', body);
        const text = await answer.text();
        check(answer.status === status && reason.test(text), `${JSON.stringify(body)}: ${answer.status} ${text}`);
      }
      check((await post(server.url, '/api/undo', {})).status === 409, 'undo with nothing done');
      await post(server.url, '/api/save', {});
      check(readFileSync(path).equals(bytes), 'a refused edit reached the file');
      // Someone else's change on disk is not overwritten unless asked.
      const edited = await post(server.url, '/api/edit', { changes: [{ op: 'move', window: 'Window00', gauge: 'gauge01', x: 320, y: 10 }] });
      check(edited.ok, `move answered ${edited.status}`);
      const theirs = Buffer.concat([bytes, Buffer.from('\r\n; theirs\r\n')]);
      writeFileSync(path, theirs);
      const conflict = await post(server.url, '/api/save', {});
      check(conflict.status === 409 && (await conflict.json()).changedOnDisk, 'a file changed on disk was overwritten');
      check(readFileSync(path).equals(theirs), 'their file was touched');
      check((await post(server.url, '/api/save', { overwrite: true })).ok, 'overwrite refused');
      check(JSON.stringify(changedLines(bytes.toString('latin1'), readFileSync(path, 'latin1'))) ===
        JSON.stringify([['Gauge01=Other!Clock,  300 ,  10\r', 'Gauge01=Other!Clock,  320 ,  10\r']]), 'other lines moved');
    }
    await server.stop();
    server = null;
  }
  const plain = copy(config, 'plain.cfg');
  server = await serve(panelhost, [plain]);
  check((await post(server.url, '/api/edit', { changes: [] })).status === 404, '/api/edit served without --edit');
  await server.stop();

  // --- In chromium -------------------------------------------------------------
  const path = copy(config, 'panel.cfg');
  const original = readFileSync(path, 'latin1');
  server = await serve(panelhost, [path, '--edit']);
  browser = await puppeteer.launch({ executablePath: process.env.CHROMIUM || '/usr/bin/chromium', headless: true,
                                     args: ['--no-sandbox', '--font-render-hinting=none'] });
  const page = await browser.newPage();
  await page.setViewport({ width: 1600, height: 900 });
  await page.goto(server.url + '/');
  await page.waitForFunction(() => window.design && window.design.state && window.livePanel.placements().length &&
    window.livePanel.layout.w === document.getElementById('stage').clientWidth &&
    document.getElementById('stage').style.marginRight !== '', { timeout: 20000 });
  const box = (key) => page.evaluate((k) => {
    const w = window.design.state.windows.find((x) => x.s === 'Window00');
    const g = w.gauges.find((x) => x.key === k);
    const p = window.livePanel.placements().find((x) => x.window.s === 'Window00');
    const sx = p.rect.w / p.list.w, sy = p.rect.h / p.list.h;
    const stage = document.getElementById('stage').getBoundingClientRect();  // places are the stage's pixels
    return { x: stage.left + p.rect.x + g.pixels[0] * sx, y: stage.top + p.rect.y + g.pixels[1] * sy, w: g.pixels[2] * sx, h: g.pixels[3] * sy,
             unit: sx, gauge: g };
  }, key);
  const settle = () => sleep(400);

  // The airspeed indicator (gauge05) dragged 20 units right, snapping off.
  await page.click('#snap');
  const speed = await box('gauge05');
  await page.mouse.move(speed.x + speed.w / 2, speed.y + speed.h / 2);
  await page.mouse.down();
  await page.mouse.move(speed.x + speed.w / 2 + 10 * speed.unit, speed.y + speed.h / 2, { steps: 4 });
  await page.mouse.move(speed.x + speed.w / 2 + 20 * speed.unit, speed.y + speed.h / 2, { steps: 4 });
  await page.mouse.up();
  await page.waitForFunction(() => window.design.state.canUndo);
  const line = await page.$eval('#gaugeLine', (e) => e.textContent);
  check(line === 'gauge05=QR417_Instr!Airspeed, 320, 60, 200', `selection shows ${line}`);
  await page.click('#save');
  await page.waitForFunction(() => /saved/.test(document.getElementById('designStatus').textContent));
  const moved = changedLines(original, readFileSync(path, 'latin1'));
  check(JSON.stringify(moved) === JSON.stringify([['gauge05=QR417_Instr!Airspeed, 300, 60, 200',
    'gauge05=QR417_Instr!Airspeed, 320, 60, 200']]), `the save changed ${JSON.stringify(moved)}`);
  check(readFileSync(path + '.bak', 'latin1') === original, 'no panel.cfg.bak of the file read');

  // Resized by its south-east handle, keeping its aspect: no height written.
  await settle();
  const handle = await page.$eval('#designFrame .se', (e) => { const r = e.getBoundingClientRect(); return { x: r.x + 4, y: r.y + 4 }; });
  await page.mouse.move(handle.x, handle.y);
  await page.mouse.down();
  await page.mouse.move(handle.x + 40 * speed.unit, handle.y + 5, { steps: 5 });
  await page.mouse.up();
  // Mouse events land on whole pixels: the width within a unit or two of 240.
  await page.waitForFunction(() => /, 320, 60, 2[34]\d$/.test(document.getElementById('gaugeLine').textContent), { timeout: 5000 });
  const width = Number((await page.$eval('#gaugeLine', (e) => e.textContent)).split(', ').pop());
  check(Math.abs(width - 240) <= 2, `resized to width ${width}`);
  const resized = await box('gauge05');
  check(Math.abs(resized.w - resized.h) < 2, `resized out of its aspect: ${JSON.stringify(resized)}`);

  // Nudged with the arrow keys: one unit, ten with Shift.
  await page.keyboard.press('ArrowDown');
  await page.waitForFunction((w) => document.getElementById('gaugeLine').textContent.endsWith(`, 320, 61, ${w}`), {}, width);
  await page.keyboard.down('Shift');
  await page.keyboard.press('ArrowLeft');
  await page.keyboard.up('Shift');
  await page.waitForFunction((w) => document.getElementById('gaugeLine').textContent.endsWith(`, 310, 61, ${w}`), {}, width);

  // Added from the palette: the window's next number, drawn by the host.
  await page.click('#palette li[data-name="Altimeter"]');
  await page.waitForFunction(() => /^gauge\d+=QR417_Instr!Altimeter/.test(document.getElementById('gaugeLine').textContent));
  const added = await page.$eval('#gaugeLine', (e) => e.textContent);
  const count = (await page.evaluate(() => window.design.state.windows[0].gauges.length));
  check(added.startsWith(`gauge${String(count - 1).padStart(2, '0')}=`), `added as ${added}`);
  await page.waitForFunction((k) => window.livePanel.lists.get('Window00').items.some((i) => i && i.al === `Window00.${k}`),
    { timeout: 5000 }, added.split('=')[0]);

  // Undone back to the bytes read: every batch, then saved.
  for (let i = 0; i < 10 && await page.evaluate(() => window.design.state.canUndo); i++) {
    await page.click('#undo');
    await settle();
  }
  await page.click('#save');
  await page.waitForFunction(() => /saved/.test(document.getElementById('designStatus').textContent));
  await settle();
  check(readFileSync(path, 'latin1') === original, 'undo did not come back to the file read');
  if (screenshot) {  // the README's picture: the airspeed indicator selected
    const at = await box('gauge05');
    await page.mouse.click(at.x + at.w / 2, at.y + at.h / 2);
    await settle();
    await page.screenshot({ path: screenshot });
  }

  // Switched off, the gauges take their clicks again: the radios toggle opens the radio stack.
  await page.keyboard.press('e');
  check(await page.$eval('#designOverlay', (e) => e.hidden), 'the overlay stayed');
  const p = await page.evaluate(() => {
    const x = window.livePanel.placements()[0], stage = document.getElementById('stage').getBoundingClientRect();
    return { r: x.rect, w: x.list.w, left: stage.left, top: stage.top };
  });
  await page.mouse.click(p.left + p.r.x + 470 * p.r.w / p.w, p.top + p.r.y + 860 * p.r.w / p.w);
  await page.waitForFunction(() => window.livePanel.open.some((w) => w.s === 'Window01'), { timeout: 5000 });
  console.log('design tests passed');
} catch (error) {
  console.error(error.stack || error.message);
  process.exitCode = 1;
} finally {
  if (browser) await browser.close();
  if (server) await server.stop();
  rmSync(folder, { recursive: true, force: true });
}
