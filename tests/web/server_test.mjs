// panelhost serve without a browser: refused requests, many clients, Ctrl-C.
// node server_test.mjs PANELHOST PANEL.CFG
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { serve, check } from './serve.mjs';

const [panelhost, config] = process.argv.slice(2);
const server = await serve(panelhost, [config]);
const { url } = server;
const perFrame = new Set([0x10128, 0x10129, 0x1012c]);  // identifier audio kept off every frame

const post = (path, body, type = 'application/json') =>
  fetch(url + path, { method: 'POST', headers: { 'Content-Type': type }, body });
const events = async () => (await (await fetch(url + '/api/events')).json()).filter(([e]) => !perFrame.has(e));

try {
  // Bad requests get a 4xx and send no key event.
  const before = (await events()).length;
  const refused = [
    [() => post('/api/mouse', 'not json'), 400],
    [() => post('/api/mouse', '{}'), 400],
    [() => post('/api/mouse', JSON.stringify({ s: 'Window00', x: 1e300, y: 5, a: 'down' })), 400],
    [() => post('/api/mouse', JSON.stringify({ s: 'Window00', x: 5, y: 5, a: 'kick' })), 400],
    [() => post('/api/mouse', JSON.stringify({ s: 'Window42', x: 5, y: 5, a: 'down' })), 404],
    [() => post('/api/mouse', JSON.stringify({ s: 'Window01', x: 5, y: 5, a: 'down' })), 404],  // closed
    [() => post('/api/mouse', JSON.stringify({ s: 'Window00', g: 'gauge99', x: 5, y: 5, a: 'down' })), 404],
    [() => post('/api/mouse', JSON.stringify({ s: 'Window00', x: 5, y: 5, a: 'down', pad: 'x'.repeat(70000) })), 413],
    [() => post('/api/flight', JSON.stringify({ airspeed: 'fast' })), 400],
    [() => post('/api/flight', JSON.stringify({ fuel: 3 })), 400],
    [() => post('/api/flight', JSON.stringify({ altitude: 1e9 })), 400],
    [() => post('/api/lighting', JSON.stringify({ lighting: 'dusk' })), 400],
    [() => fetch(url + '/bitmap/99999999999.png'), 404],
    [() => fetch(url + '/bitmap/../../etc/passwd'), 404],
    [() => fetch(url + '/background/..%2F..%2Fpanel.cfg.png'), 404],
    [() => fetch(url + '/background/Window01.png'), 404],  // no bitmap of its own
    [() => fetch(url + '/panel.js/../../../host/main.cpp'), 404],
    [() => fetch(url + '/wave/7.wav'), 404],
    [() => post('/api/layout', JSON.stringify({ w: 0, h: 900 })), 400],
    [() => post('/api/layout', JSON.stringify({ w: 1e12, h: 900 })), 400],
    [() => post('/api/layout', JSON.stringify({ w: '800' })), 400],
  ];
  for (const [request, status] of refused) {
    const answer = await request();
    check(answer.status === status, `${request} gave ${answer.status}, expected ${status}`);
  }
  check((await events()).length === before, 'a refused request sent a key event');
  check((await fetch(url + '/bitmap/430.png')).headers.get('content-type') === 'image/png', 'bitmap 430 not served');

  // The open windows as the screen layout places them: the main panel keeps
  // its shape across the screen's width at the bottom; the closed radio
  // stack has no place.
  const layout = await (await post('/api/layout', JSON.stringify({ w: 800, h: 900 }))).json();
  check(JSON.stringify(layout.windows) === JSON.stringify([{ h: 450, s: 'Window00', w: 800, x: 0, y: 450 }]),
    `layout ${JSON.stringify(layout.windows)}`);

  // 20 pages at once open the stream, click the radios toggle twice and go
  // away mid-stream; after the first wave the server's memory stays flat.
  const wave = () => Promise.all(Array.from({ length: 20 }, async () => {
    const stop = new AbortController();
    const stream = await fetch(url + '/events', { signal: stop.signal });
    const reader = stream.body.getReader();
    await reader.read();
    for (const a of ['down', 'up', 'down', 'up']) {
      await post('/api/mouse', JSON.stringify({ s: 'Window00', x: 470, y: 860, a }));
    }
    await reader.read();
    stop.abort();
  }));
  await wave();
  const settled = server.rssKb();
  for (let i = 0; i < 4; i++) await wave();
  const after = server.rssKb();
  if (!process.env.QR_WEB_MEMORY_UNMEASURED) {
    check(after < settled * 1.15 + 2048, `memory grew from ${settled} kB to ${after} kB`);
  }
  check((await fetch(url + '/api/events')).ok, 'server stopped answering after the clients left');

  // Ctrl-C stops it cleanly.
  const { code } = await server.stop('SIGINT');
  check(code === 0, `exit code ${code} after Ctrl-C`);
  check(server.output().includes('stopped'), 'no clean stop reported');
  // A configuration with errors serves what loaded and tells its errors.
  const folder = mkdtempSync(join(tmpdir(), 'live-'));
  const broken = join(folder, 'panel.cfg');
  writeFileSync(broken, readFileSync(config, 'utf8').replace('QR417_Instr!Airspeed', 'QR417_Instr!Airspeeed'));
  const partial = await serve(panelhost, [broken]);
  let snapshot;
  try {
    const reader = (await fetch(partial.url + '/events')).body.getReader();
    let text = '';
    while (!text.includes('\n\n')) text += new TextDecoder().decode((await reader.read()).value);
    snapshot = JSON.parse(text.slice('data: '.length, text.indexOf('\n\n')));
  } finally {
    await partial.stop();
    rmSync(folder, { recursive: true });
  }
  check(snapshot.errors.some((e) => e.includes('Airspeeed')), `errors not told: ${snapshot.errors}`);
  check(snapshot.windows.some((w) => w.s === 'Window00' && w.n > 100), 'the rest of the panel not served');

  // A scenario that cannot be read is one error at start.
  for (const unreadable of [tmpdir(), '/dev/zero', join(tmpdir(), 'no-such-live.scn')]) {
    const failed = await serve(panelhost, [config, '--scenario', unreadable]).then(
      async (s) => { await s.stop(); return ''; }, (e) => e.message);
    check(/exited [1-9]/.test(failed) && failed.includes(unreadable), `--scenario ${unreadable}: ${failed || 'served'}`);
  }

  console.log(`server tests passed (memory ${settled} kB -> ${after} kB)`);
} catch (error) {
  server.child.kill('SIGKILL');
  console.error(error.message);
  process.exit(1);
}
