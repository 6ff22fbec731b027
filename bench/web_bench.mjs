// The live page's figures, with the main panel showing while the approach
// plays, in headless chromium at 1600x900:
//   - one page (default): frames it paints a second (its own or its motion
//     worker's, whichever paints more), the host's work per
//     frame (frame, display lists, changes) and the bytes of an update;
//   - --pages N: N pages at once, each in a browsing context of its own as
//     N screens would be: frames a second on each, the host's CPU, the
//     browser's CPU, and a page's main-thread time per update.
//
//   node bench/web_bench.mjs [--pages N] build/panelhost panels/corvane/panel.cfg
// (run from the top of the tree after `npm ci` in tests/web)
import { readFileSync, readdirSync } from 'node:fs';
import puppeteer from '../tests/web/node_modules/puppeteer-core/lib/esm/puppeteer/puppeteer-core.js';
import { serve } from '../tests/web/serve.mjs';

const args = process.argv.slice(2);
const pagesAt = args.indexOf('--pages');
const pageCount = pagesAt >= 0 ? Number(args.splice(pagesAt, 2)[1]) : 1;
const [panelhost = 'build/panelhost', config = 'panels/corvane/panel.cfg'] = args;
const seconds = 10;
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// CPU seconds a process has used, and the processes under one.
const cpuSeconds = (pid) => {
  try {
    const fields = readFileSync(`/proc/${pid}/stat`, 'utf8').split(') ')[1].split(' ');
    return (Number(fields[11]) + Number(fields[12])) / 100;
  } catch {
    return 0;  // gone meanwhile
  }
};
const parentOf = (pid) => {
  try {
    return Number(readFileSync(`/proc/${pid}/stat`, 'utf8').split(') ')[1].split(' ')[1]);
  } catch {
    return 0;
  }
};
const family = (pid) => {
  const all = readdirSync('/proc').filter((d) => /^\d+$/.test(d)).map(Number);
  const found = [pid];
  for (let i = 0; i < found.length; i++) found.push(...all.filter((p) => parentOf(p) === found[i]));
  return found;
};
const percentile = (sorted, p) => sorted[Math.min(sorted.length - 1, Math.floor(sorted.length * p))];

const server = await serve(panelhost, [config]);
const browser = await puppeteer.launch({ executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
                                         headless: true, args: ['--no-sandbox'] });
const post = (path, body) => fetch(server.url + path, { method: 'POST', body: JSON.stringify(body) });
try {
  const pages = [];
  for (let i = 0; i < pageCount; i++) {
    // A browser keeps six connections to a host a context, and each page
    // holds one for its event stream.
    const page = await (await browser.createBrowserContext()).newPage();
    await page.setViewport({ width: 1600, height: 900 });
    await page.goto(server.url + '/', { waitUntil: 'domcontentloaded', timeout: 60000 });
    pages.push(page);
  }
  await Promise.all(pages.map((page) => page.waitForFunction(
    () => window.livePanel.paints > 2 && window.livePanel.lists.has('Window00'), { timeout: 60000 })));
  await post('/api/mouse', { s: 'Window00', x: 470, y: 860, a: 'down' });
  await post('/api/mouse', { s: 'Window00', x: 470, y: 860, a: 'up' });
  await post('/api/approach', {});
  await sleep(2000);  // the radio stack's bitmaps arrive

  const browsers = family(browser.process().pid);
  const hostBefore = cpuSeconds(server.child.pid);
  const browserBefore = browsers.reduce((sum, pid) => sum + cpuSeconds(pid), 0);
  // Frames painted by the page and by its motion worker: the worker paints
  // the boxes that change between updates, the page the rest on updates.
  const counts = () => Promise.all(pages.map((page) => page.evaluate(() => window.livePanel.frameCounts())));
  const framesBefore = await counts();
  await sleep(seconds * 1000);
  const framesAfter = await counts();
  const hostCpu = (cpuSeconds(server.child.pid) - hostBefore) / seconds;
  const browserCpu = (browsers.reduce((sum, pid) => sum + cpuSeconds(pid), 0) - browserBefore) / seconds;
  const rates = framesAfter.map((after, i) => Math.max(after.page - framesBefore[i].page,
                                                       after.motion - framesBefore[i].motion) / seconds)
    .sort((a, b) => a - b);
  const costs = (await pages[0].evaluate(() => [...window.livePanel.costs])).sort((a, b) => a - b);
  const measures = await (await fetch(server.url + '/api/measures')).json();

  console.log(`${pageCount} page(s), ${seconds} s: frames a second min ${rates[0].toFixed(1)}, ` +
              `median ${percentile(rates, 0.5).toFixed(1)}, max ${rates[rates.length - 1].toFixed(1)}`);
  console.log(`host CPU ${(hostCpu * 100).toFixed(1)} % of a core; browser CPU ${(browserCpu * 100).toFixed(0)} % ` +
              `(${(browserCpu * 1000 / pageCount).toFixed(0)} ms a second a page)`);
  if (costs.length) {
    console.log(`a page's main thread per update: median ${percentile(costs, 0.5).toFixed(2)} ms, ` +
                `95th percentile ${percentile(costs, 0.95).toFixed(2)} ms`);
  }
  console.log(`host work a frame: median ${measures.workMedianMicros.toFixed(0)} us, 95th percentile ` +
              `${measures.workP95Micros.toFixed(0)} us, mean ${measures.workMeanMicros.toFixed(0)} us ` +
              `(${measures.frames} frames)`);
  console.log(`update a frame: median ${measures.bytesMedian} bytes, 95th percentile ${measures.bytesP95} bytes, ` +
              `largest ${measures.bytesMax} bytes`);
} finally {
  await browser.close();
  await server.stop();
}
