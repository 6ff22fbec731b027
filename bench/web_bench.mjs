// The live page's figures: frames the page paints a second in headless
// chromium, the host's work per frame (frame, display lists, changes) and
// the bytes of a frame's update, with the main panel and the radio stack
// showing while the approach plays.
//
//   node bench/web_bench.mjs build/panelhost panels/corvane/panel.cfg
// (run from the top of the tree after `npm ci` in tests/web)
import puppeteer from '../tests/web/node_modules/puppeteer-core/lib/esm/puppeteer/puppeteer-core.js';
import { serve } from '../tests/web/serve.mjs';

const [panelhost = 'build/panelhost', config = 'panels/corvane/panel.cfg'] = process.argv.slice(2);
const seconds = 10;
const server = await serve(panelhost, [config]);
const browser = await puppeteer.launch({ executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
                                         headless: true, args: ['--no-sandbox'] });
try {
  const page = await browser.newPage();
  await page.setViewport({ width: 1600, height: 900 });
  await page.goto(server.url + '/');
  await page.waitForFunction(() => window.livePanel.paints > 2 && window.livePanel.lists.has('Window00'));
  const post = (path, body) => fetch(server.url + path, { method: 'POST', body: JSON.stringify(body) });
  await post('/api/mouse', { s: 'Window00', x: 470, y: 860, a: 'down' });
  await post('/api/mouse', { s: 'Window00', x: 470, y: 860, a: 'up' });
  await post('/api/approach', {});
  await new Promise((resolve) => setTimeout(resolve, 1500));  // the radio stack's bitmaps arrive
  const frames = await page.evaluate((s) => new Promise((resolve) => {
    const first = window.livePanel.frames;
    setTimeout(() => resolve(window.livePanel.frames - first), s * 1000);
  }), seconds);
  const measures = await (await fetch(server.url + '/api/measures')).json();
  console.log(`page: ${(frames / seconds).toFixed(1)} frames a second over ${seconds} s`);
  console.log(`host work a frame: median ${measures.workMedianMicros.toFixed(0)} us, 95th percentile ` +
              `${measures.workP95Micros.toFixed(0)} us, mean ${measures.workMeanMicros.toFixed(0)} us ` +
              `(${measures.frames} frames)`);
  console.log(`update a frame: median ${measures.bytesMedian} bytes, 95th percentile ${measures.bytesP95} bytes, ` +
              `largest ${measures.bytesMax} bytes`);
} finally {
  await browser.close();
  await server.stop();
}
