// panelhost serve without a browser: refused requests, many clients, Ctrl-C.
// node server_test.mjs PANELHOST PANEL.CFG
import { copyFileSync, mkdirSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import net from 'node:net';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
import { serve, check, request } from './serve.mjs';

const [panelhost, config] = process.argv.slice(2);
const server = await serve(panelhost, [config]);
const { url } = server;
const port = Number(new URL(url).port);
const perFrame = new Set([0x10128, 0x10129, 0x1012c]);  // identifier audio kept off every frame

const post = (path, body, type = 'application/json') =>
  fetch(url + path, { method: 'POST', headers: { 'Content-Type': type }, body });
// The page's event stream, read in order: `next` gives the first message
// still to come that `wanted` takes, the snapshot first. Held open across
// the steps of a scenario, it misses nothing that happens between them.
async function openEvents(base) {
  const stop = new AbortController();
  const reader = (await fetch(base + '/events', { signal: stop.signal })).body.getReader();
  const decoder = new TextDecoder();
  let text = '';
  return {
    async next(wanted = () => true, ms = 10000) {
      const timer = setTimeout(() => stop.abort(), ms);
      try {
        for (;;) {
          for (let end; (end = text.indexOf('\n\n')) >= 0;) {
            const message = JSON.parse(text.slice('data: '.length, end));
            text = text.slice(end + 2);
            if (wanted(message)) return message;
          }
          const { value, done } = await reader.read();
          if (done) throw new Error('the event stream ended');
          text += decoder.decode(value, { stream: true });
        }
      } finally {
        clearTimeout(timer);
      }
    },
    close: () => stop.abort(),
  };
}
async function firstEvent(base) {
  const stream = await openEvents(base);
  try {
    return await stream.next();
  } finally {
    stream.close();
  }
}
const connectRaw = (p) => net.connect(p, '127.0.0.1');
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

  // Every input of every route at both ends of its range, just and far
  // past them, and of the wrong type.
  const statusOf = async (path, body) => (await post(path, JSON.stringify(body))).status;
  const wrongTypes = ['1', null, [], {}, true];
  const flight = { airspeed: [0, 400], altitude: [-2000, 40000], verticalSpeed: [-6000, 6000], pitch: [-90, 90],
    bank: [-180, 180], heading: [0, 360], rpm1: [0, 3500], rpm2: [0, 3500], radioHeight: [0, 2500] };
  for (const [name, [low, high]] of Object.entries(flight)) {
    for (const value of [low, high]) check(await statusOf('/api/flight', { [name]: value }) === 200, `${name} ${value} refused`);
    for (const value of [low - 0.001, high + 0.001, -1e300, 1e300, ...wrongTypes]) {
      check(await statusOf('/api/flight', { [name]: value }) === 400, `${name} ${JSON.stringify(value)} taken`);
    }
  }
  check((await post('/api/flight', '{"altitude": 1e999}')).status === 400, 'an altitude past any double taken');
  check(await statusOf('/api/flight', { airspeed: 0, altitude: 0, verticalSpeed: 0, pitch: 0, bank: 0, heading: 0,
    rpm1: 0, rpm2: 0, radioHeight: 0 }) === 200, 'the flight values not set back');
  const mouse = { s: 'Window00', x: 5, y: 5, a: 'up' };
  for (const [name, good, bad] of [
    ['x', [-1e6, 1e6], [-1e6 - 1, 1e6 + 1, -1e300, 1e300, ...wrongTypes]],
    ['y', [-1e6, 1e6], [-1e6 - 1, 1e6 + 1, -1e300, 1e300, ...wrongTypes]],
    ['a', ['up', 'drag', 'repeat'], ['kick', '', 5, ...wrongTypes.slice(1)]],
    ['b', ['left', 'right'], ['middle', 1, ...wrongTypes.slice(1)]],
    ['g', ['gauge00'], [5, ...wrongTypes.slice(1)]],
    ['s', ['Window00'], [5, ...wrongTypes.slice(1)]],
  ]) {
    for (const value of good) check(await statusOf('/api/mouse', { ...mouse, [name]: value }) === 200, `mouse ${name} ${value} refused`);
    for (const value of bad) {
      check(await statusOf('/api/mouse', { ...mouse, [name]: value }) === 400, `mouse ${name} ${JSON.stringify(value)} taken`);
    }
  }
  for (const name of ['w', 'h']) {
    const size = { w: 800, h: 600 };
    for (const value of [1, 16384]) check(await statusOf('/api/layout', { ...size, [name]: value }) === 200, `layout ${name} ${value}`);
    for (const value of [0.999, 16385, -1e300, 1e300, ...wrongTypes]) {
      check(await statusOf('/api/layout', { ...size, [name]: value }) === 400, `layout ${name} ${JSON.stringify(value)} taken`);
    }
  }
  for (const value of ['dusk', '', 5, ...wrongTypes.slice(1)]) {
    check(await statusOf('/api/lighting', { lighting: value }) === 400, `lighting ${JSON.stringify(value)} taken`);
  }

  // Only its own page is obeyed: another Host (a name rebound to this
  // address) gets 421 for anything, another origin's post or a form's
  // changes nothing; the loopback names are its own.
  const own = { 'Content-Type': 'application/json' };
  const night = JSON.stringify({ lighting: 'night' });
  const foreign = [
    ['GET', '/events', { Host: `rebound.example:${port}` }, 421],
    ['GET', '/', { Host: `127.0.0.1:${port + 1}` }, 421],
    ['POST', '/api/lighting', { ...own, Host: `rebound.example:${port}` }, 421],
    ['POST', '/api/lighting', { ...own, Origin: `http://127.0.0.1:${port + 1}` }, 403],
    ['POST', '/api/lighting', { ...own, Origin: 'null' }, 403],
    ['POST', '/api/lighting', { 'Content-Type': 'text/plain' }, 415],
    ['POST', '/api/lighting', { 'Content-Type': 'application/x-www-form-urlencoded' }, 415],
    ['POST', '/api/lighting', { ...own, 'Content-Encoding': 'gzip' }, 415],
  ];
  for (const [method, path, headers, status] of foreign) {
    const answer = await request(port, path, { method, headers, body: method === 'POST' ? night : undefined });
    check(answer.status === status, `${method} ${path} ${JSON.stringify(headers)} gave ${answer.status}, expected ${status}`);
  }
  const snapshot = await firstEvent(url);
  check(snapshot.light === 'day', 'a foreign request switched the lighting');
  for (const host of [`localhost:${port}`, `[::1]:${port}`, `LOCALHOST:${port}`]) {
    check((await request(port, '/', { headers: { Host: host } })).status === 200, `Host ${host} refused`);
  }
  check((await request(port, '/api/lighting', { method: 'POST', body: JSON.stringify({ lighting: 'day' }),
    headers: { ...own, Origin: `http://localhost:${port}` } })).status === 200, 'the page\'s own origin refused');

  // Pipelined requests are each answered, in order.
  const pipelined = await new Promise((resolve) => {
    const socket = connectRaw(port);
    let text = '';
    socket.on('data', (d) => { text += d; });
    socket.on('close', () => resolve(text));
    const get = (path, last) => `GET ${path} HTTP/1.1\r\nHost: 127.0.0.1:${port}\r\n${last ? 'Connection: close\r\n' : ''}\r\n`;
    socket.write(get('/api/measures') + get('/wave/7.wav') + get('/panel.css', true));
  });
  check((pipelined.match(/HTTP\/1\.1 \d+/g) || []).join() === 'HTTP/1.1 200,HTTP/1.1 404,HTTP/1.1 200',
    `pipelined answers: ${(pipelined.match(/HTTP\/1\.1 \d+/g) || []).join()}`);

  // Ctrl-C stops it cleanly.
  const { code } = await server.stop('SIGINT');
  check(code === 0, `exit code ${code} after Ctrl-C`);
  check(server.output().includes('stopped'), 'no clean stop reported');
  // A configuration with errors serves what loaded and tells its errors.
  const folder = mkdtempSync(join(tmpdir(), 'live-'));
  const broken = join(folder, 'panel.cfg');
  writeFileSync(broken, readFileSync(config, 'utf8').replace('QR417_Instr!Airspeed', 'QR417_Instr!Airspeeed'));
  const partial = await serve(panelhost, [broken]);
  let partialSnapshot;
  try {
    partialSnapshot = await firstEvent(partial.url);
  } finally {
    await partial.stop();
    rmSync(folder, { recursive: true });
  }
  check(partialSnapshot.errors.some((e) => e.includes('Airspeeed')), `errors not told: ${partialSnapshot.errors}`);
  check(partialSnapshot.windows.some((w) => w.s === 'Window00' && w.n > 100), 'the rest of the panel not served');

  // Windows-1252 texts: a scenario's echo lines and a registration's font
  // (in a folder whose name is not UTF-8, with an approach beside it) reach
  // the page as UTF-8, and nothing of them ends the server. A gauge the
  // scenario killed, and a reload, leave clicks a 4xx or a miss, not a 500.
  const latin = Buffer.concat([Buffer.from(join(tmpdir(), `live-${process.pid}-`)), Buffer.from([0xff])]);
  mkdirSync(latin);
  const inLatin = (name) => Buffer.concat([latin, Buffer.from('/' + name)]);
  const panelFolder = dirname(config);
  writeFileSync(inLatin('panel.cfg'), Buffer.from(readFileSync(config, 'latin1')
    .replace('tD-EQRA r240 g228 b190', 'tD-EQRA r240 g228 b190 fCaf\xe9 Sans'), 'latin1'));
  copyFileSync(join(panelFolder, 'main_panel.bmp'), inLatin('main_panel.bmp'));
  writeFileSync(inLatin('corvane.scn'), Buffer.from('echo == The approach\necho Sinkflug auf 500 Fu\xdf\n', 'latin1'));
  const plain = mkdtempSync(join(tmpdir(), 'live-'));
  writeFileSync(join(plain, 'live.scn'), Buffer.from('frame 36\necho Steigflug auf 1500 Fu\xdf \x80\x81\nframe 1\nfly sideways\n' +
    'frame 36\nkill Window00.gauge32\necho killed\nframe 36\nreload\necho reloaded\n', 'latin1'));
  const printf = latin.toString('latin1').replace(/\xff/, '\\377');
  const european = await serve(panelhost, [`${printf}/panel.cfg`, '--scenario', join(plain, 'live.scn')], { printfPath: true });
  const stream = await openEvents(european.url);
  const echoes = (wanted) => stream.next((m) => (m.echo || []).some(wanted));
  try {
    const first = await stream.next();
    const face = first.windows.flatMap((w) => w.set.map(([, item]) => item)).find((item) => item.al === 'Window00.gauge01' && item.k === 't');
    check(face && face.f === 'Caf\u00e9 Sans', `registration font ${face && face.f}`);
    const echoed = await echoes((e) => e.includes('Steigflug'));
    check(echoed.echo.some((e) => e.includes('Steigflug auf 1500 Fu\u00df \u20ac')), `echo ${echoed.echo}`);
    // A line that fails is told, with its place, and the rest is played.
    const told = await stream.next((m) => (m.errors || []).some((e) => e.includes('live.scn:4:')));
    check(told.errors.some((e) => e.includes('unknown command "fly"')), `scenario finding ${told.errors}`);
    const europeanPort = Number(new URL(european.url).port);
    const click = async (a) => (await request(europeanPort, '/api/mouse', { method: 'POST', headers: { 'Content-Type': 'application/json' },
      body: JSON.stringify({ s: 'Window00', x: 470, y: 860, a }) })).status;
    for (const stage of ['killed', 'reloaded']) {
      await echoes((e) => e.trim() === stage);
      for (const a of ['down', 'drag', 'up']) check(await click(a) < 500, `a click after the scenario ${stage} a gauge got a 5xx`);
    }
    check((await request(europeanPort, '/api/approach', { method: 'POST', headers: { 'Content-Type': 'application/json' }, body: '{}' }))
      .status === 200, 'the approach beside the panel not flown');
    const approach = await echoes((e) => e.includes('Sinkflug'));
    check(approach.echo.some((e) => e.includes('Fu\u00df')), `approach echo ${approach.echo}`);
    check((await request(europeanPort, '/')).status === 200, 'the server went after Windows-1252 texts');
  } finally {
    stream.close();
    await european.stop();
    rmSync(latin, { recursive: true });
    rmSync(plain, { recursive: true });
  }

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
