// Figures of the browser game, measured in headless Chromium against the
// test build of dist/web on 127.0.0.1 (a benchmark: it prints, it asserts
// nothing): load to the first drawn title, the site's transfer size with
// gzip, CPU of the browser while a piece is dragged, memory on the title and
// in play.
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const zlib = require('zlib');
const { launch } = require('./browser');
const { ChromiumTab } = require('./engines');
const { startServer } = require('./serve');
const g = require('./game_page');

const SITE = path.join(g.ROOT, 'dist/web');
const TEST_PAGE = path.join(g.ROOT, process.env.POKOMARU_WEB_BUILD || 'build-web', 'test-page');
const TICK = 100;  // clock ticks per second of /proc

function files(dir) {
  return fs.readdirSync(dir, { withFileTypes: true }).flatMap((e) =>
    e.isDirectory() ? files(path.join(dir, e.name)) : [path.join(dir, e.name)]);
}

// The browser's processes: the one started with the profile, and all below it.
function browserProcesses(profile) {
  const all = fs.readdirSync('/proc').filter((p) => /^\d+$/.test(p)).map((pid) => {
    try {
      const stat = fs.readFileSync(`/proc/${pid}/stat`, 'utf8');
      const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
      const cmd = fs.readFileSync(`/proc/${pid}/cmdline`, 'utf8');
      const rss = Number(fs.readFileSync(`/proc/${pid}/statm`, 'utf8').split(' ')[1]) * 4096;
      return { pid: Number(pid), ppid: Number(fields[1]), cpu: Number(fields[11]) + Number(fields[12]), cmd, rss };
    } catch (e) {
      return null;
    }
  }).filter(Boolean);
  const ours = new Set(all.filter((p) => p.cmd.includes(profile)).map((p) => p.pid));
  for (let grew = true; grew;) {
    grew = false;
    for (const p of all) if (!ours.has(p.pid) && ours.has(p.ppid)) { ours.add(p.pid); grew = true; }
  }
  return all.filter((p) => ours.has(p.pid));
}

const mib = (bytes) => (bytes / 1048576).toFixed(1) + ' MiB';

async function memory(page, profile) {
  const heap = await page.evaluate(() => ({ wasm: pokomaru.HEAPU8.length, js: performance.memory ? performance.memory.usedJSHeapSize : 0 }));
  const processes = browserProcesses(profile);
  const renderer = processes.filter((p) => p.cmd.includes('--type=renderer')).reduce((a, p) => a + p.rss, 0);
  const total = processes.reduce((a, p) => a + p.rss, 0);
  return `tab (renderer) ${mib(renderer)}, browser in all ${mib(total)}, wasm heap ${mib(heap.wasm)}, JS heap ${mib(heap.js)}`;
}

async function main() {
  const site = fs.mkdtempSync(path.join(os.tmpdir(), 'pokomaru-bench-'));
  fs.cpSync(SITE, site, { recursive: true });
  for (const name of ['pokomaru-jigsaw.js', 'pokomaru-jigsaw.wasm', 'pokomaru-jigsaw.data'])
    fs.copyFileSync(path.join(TEST_PAGE, name), path.join(site, name));
  let raw = 0, gzip = 0;
  for (const f of files(SITE)) {
    if (f.includes('LICENSE')) continue;  // never fetched by the page
    const body = fs.readFileSync(f);
    raw += body.length;
    gzip += zlib.gzipSync(body, { level: 6 }).length;
  }
  console.log(`transfer: ${mib(gzip)} with gzip (${mib(raw)} as stored), licences not counted`);

  const server = await startServer(site, 0);
  const url = `http://127.0.0.1:${server.address().port}/`;
  const loads = [];
  for (let run = 0; run < 3; ++run) {
    const browser = await launch();
    const page = browser.context.pages()[0];
    await page.goto(url, { waitUntil: 'commit' });
    const at = await page.evaluate(() => new Promise((resolve) => {
      const look = () => {
        if (window.pokomaru && pokomaru.calledRun && pokomaru._pokomaru_test_presents_shown() > 0) resolve(performance.now());
        else requestAnimationFrame(look);
      };
      look();
    }));
    loads.push(at);
    await browser.close();
  }
  console.log(`load to the first drawn title: ${loads.map((t) => (t / 1000).toFixed(2) + ' s').join(', ')} (fresh profile each)`);

  const browser = await launch();
  const page = browser.context.pages()[0];
  const tab = new ChromiumTab(browser.context, page, await browser.context.newCDPSession(page));
  await g.openGame(tab, url);
  await page.waitForTimeout(2000);
  console.log(`memory on the title: ${await memory(page, browser.profile)}`);
  await g.clickTitleButton(tab, 380);
  const s = await g.waitForPlay(tab, g.Mode.Municipality);
  const from = g.pieceCentre(s.pieces[g.topLoosePiece(s)]);
  await page.mouse.move(from.x, from.y);
  await g.candidate(tab, from);
  await page.mouse.down();
  await g.heldPiece(tab);
  const before = browserProcesses(browser.profile).reduce((a, p) => a + p.cpu, 0);
  const start = Date.now();
  let k = 0;
  while (Date.now() - start < 5000) {
    const angle = (k++ / 30) * 2 * Math.PI;
    await page.mouse.move(512 + 200 * Math.cos(angle), 384 + 150 * Math.sin(angle));
    await page.waitForTimeout(16);
  }
  const seconds = (Date.now() - start) / 1000;
  const after = browserProcesses(browser.profile).reduce((a, p) => a + p.cpu, 0);
  console.log(`CPU while dragging a piece: ${(((after - before) / TICK / seconds) * 100).toFixed(0)} % of one core ` +
    `(all the browser's processes, ${os.cpus().length} cores, load ${os.loadavg()[0].toFixed(1)})`);
  console.log(`memory in play: ${await memory(page, browser.profile)}`);
  await page.mouse.up();
  await browser.close();
  server.close();
  fs.rmSync(site, { recursive: true, force: true });
}

main().catch((e) => {
  console.error(e);
  process.exit(1);
});
