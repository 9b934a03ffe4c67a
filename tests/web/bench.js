// Figures of the browser game, measured in headless Chromium against the
// test build of dist/web on 127.0.0.1 (a benchmark: it prints, it asserts
// nothing): load to the first drawn title, the site's transfer size with
// gzip, CPU of the browser and frames shown while a piece is dragged,
// memory on the title and in play. Beside the game, in the same run and the
// same browser with the same flags, a bare page that draws one 1024 x 768
// textured quad per browser frame: the game's figures are also given as
// ratios to it, so that what the browser and its rasteriser cost anyway
// is set apart from what the game adds.
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
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

// The bare page: a 1024 x 768 canvas, a 1024 x 768 texture made once, and
// one quad of it drawn in every animation frame; bareShown counts them.
const BARE_PAGE = `<!doctype html>
<html><head><meta charset="utf-8"><title>bare</title>
<style>html, body { margin: 0; overflow: hidden; background: #000 } canvas { display: block }</style></head>
<body><canvas id="c" width="1024" height="768"></canvas><script>
(function () {
  var attributes = { alpha: false, depth: false, stencil: false, antialias: false, preserveDrawingBuffer: false };
  var canvas = document.getElementById('c');
  var gl = canvas.getContext('webgl2', attributes) || canvas.getContext('webgl', attributes);
  var pixels = new Uint8Array(1024 * 768 * 4);
  for (var i = 0; i < pixels.length; i += 4) {
    var x = (i / 4) % 1024, y = Math.floor(i / 4096);
    pixels[i] = x & 255; pixels[i + 1] = y & 255; pixels[i + 2] = (x ^ y) & 255; pixels[i + 3] = 255;
  }
  var texture = gl.createTexture();
  gl.bindTexture(gl.TEXTURE_2D, texture);
  gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MIN_FILTER, gl.LINEAR);
  gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MAG_FILTER, gl.LINEAR);
  gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_WRAP_S, gl.CLAMP_TO_EDGE);
  gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_WRAP_T, gl.CLAMP_TO_EDGE);
  gl.texImage2D(gl.TEXTURE_2D, 0, gl.RGBA, 1024, 768, 0, gl.RGBA, gl.UNSIGNED_BYTE, pixels);
  function shader(kind, source) {
    var s = gl.createShader(kind); gl.shaderSource(s, source); gl.compileShader(s); return s;
  }
  var program = gl.createProgram();
  gl.attachShader(program, shader(gl.VERTEX_SHADER,
    'attribute vec2 a_corner; varying vec2 v_uv; void main() { gl_Position = vec4(a_corner * 2.0 - 1.0, 0.0, 1.0); v_uv = a_corner; }'));
  gl.attachShader(program, shader(gl.FRAGMENT_SHADER,
    'precision mediump float; uniform sampler2D u_picture; varying vec2 v_uv; void main() { gl_FragColor = vec4(texture2D(u_picture, v_uv).rgb, 1.0); }'));
  gl.bindAttribLocation(program, 0, 'a_corner');
  gl.linkProgram(program);
  gl.useProgram(program);
  gl.bindBuffer(gl.ARRAY_BUFFER, gl.createBuffer());
  gl.bufferData(gl.ARRAY_BUFFER, new Float32Array([0, 0, 1, 0, 0, 1, 1, 1]), gl.STATIC_DRAW);
  gl.enableVertexAttribArray(0);
  gl.vertexAttribPointer(0, 2, gl.FLOAT, false, 0, 0);
  window.bareShown = 0;
  (function frame() {
    gl.viewport(0, 0, canvas.width, canvas.height);
    gl.drawArrays(gl.TRIANGLE_STRIP, 0, 4);
    ++window.bareShown;
    requestAnimationFrame(frame);
  })();
})();
</script></body></html>
`;

// The game's presents so far, drawn or found unchanged (the test build's counts).
const gamePresents = () => {
  const c = JSON.parse(pokomaru.UTF8ToString(pokomaru._pokomaru_test_frame_check()));
  return c.drawn + c.skipped;
};

// Pictures shown so far: the game's presents that reached the canvas, or the bare page's frames.
const shownIn = {
  game: () => (window.pokomaru && pokomaru.calledRun ? pokomaru._pokomaru_test_presents_shown() : 0),
  bare: () => window.bareShown || 0,
};

// Milliseconds from the navigation's start to the first picture shown, in
// a fresh profile.
async function firstPicture(url, shown) {
  const browser = await launch();
  const page = browser.context.pages()[0];
  await page.goto(url, { waitUntil: 'commit' });
  const at = await page.evaluate((source) => new Promise((resolve) => {
    const shown = (0, eval)(`(${source})`);
    const look = () => (shown() > 0 ? resolve(performance.now()) : requestAnimationFrame(look));
    look();
  }), shown.toString());
  await browser.close();
  return at;
}

// Five seconds of the mouse going round in circles, as when a piece is
// dragged: the CPU of all the browser's processes and the pictures shown.
// The CPU is also split by the kind of process: the tab's (the page's
// script and the game), the GPU process's (WebGL on the rasteriser, and
// the compositor's picture) and the rest.
const kindOf = (p) => (p.cmd.includes('--type=renderer') ? 'tab' : p.cmd.includes('--type=gpu-process') ? 'gpu' : 'rest');
async function drag(page, profile, shown) {
  const byKind = () => {
    const kinds = { tab: 0, gpu: 0, rest: 0 };
    for (const p of browserProcesses(profile)) kinds[kindOf(p)] += p.cpu;
    return kinds;
  };
  const cpu = () => browserProcesses(profile).reduce((a, p) => a + p.cpu, 0);
  const count = () => page.evaluate((source) => (0, eval)(`(${source})`)(), shown.toString());
  const presents = () => (shown === shownIn.game ? page.evaluate(gamePresents) : 0);
  const kindsBefore = byKind();
  const presentsBefore = await presents();
  const cpuBefore = cpu(), shownBefore = await count();
  // Moves are sent every 8 ms without waiting for each to be taken (the
  // browser hands the page one a frame): the piece moves in every frame the
  // browser can show.
  const start = Date.now();
  const moves = [];
  for (let k = 0; Date.now() - start < 5000; ++k) {
    const angle = (k / 60) * 2 * Math.PI;
    moves.push(page.mouse.move(512 + 200 * Math.cos(angle), 384 + 150 * Math.sin(angle)));
    await new Promise((resolve) => setTimeout(resolve, 8));
  }
  const seconds = (Date.now() - start) / 1000;
  await Promise.all(moves);
  const cpuSeconds = (cpu() - cpuBefore) / TICK, frames = (await count()) - shownBefore;
  const kinds = byKind();
  const presented = (await presents()) - presentsBefore;
  const split = Object.keys(kinds).map((k) => `${k} ${(((kinds[k] - kindsBefore[k]) / TICK / frames) * 1000).toFixed(1)}`).join(', ');
  return { seconds, cpuSeconds, frames, fps: frames / seconds, cpuPerFrame: cpuSeconds / frames, split,
    presentsPerSecond: presented / seconds };
}

const describe = (d) => `${((d.cpuSeconds / d.seconds) * 100).toFixed(0)} % of one core, ${d.fps.toFixed(1)} pictures/s, ` +
  `${((d.cpuSeconds / d.frames) * 1000).toFixed(1)} ms of CPU a picture (${d.split})` +
  (d.presentsPerSecond ? `, ${d.presentsPerSecond.toFixed(1)} presents/s` : '');

// The game with a piece held, ready to be dragged.
async function gameHoldingAPiece(url, byParts) {
  const browser = await launch();
  const page = browser.context.pages()[0];
  const tab = new ChromiumTab(browser.context, page, await browser.context.newCDPSession(page));
  await g.openGame(tab, url);
  await page.waitForTimeout(2000);
  const titleMemory = await memory(page, browser.profile);
  await g.clickTitleButton(tab, 380);
  const s = await g.waitForPlay(tab, g.Mode.Municipality);
  if (!byParts) await page.evaluate(() => pokomaru._pokomaru_test_draw_by_parts(0));
  const from = g.pieceCentre(s.pieces[g.topLoosePiece(s)]);
  await page.mouse.move(from.x, from.y);
  await g.candidate(tab, from);
  await page.mouse.down();
  await g.heldPiece(tab);
  return { browser, page, titleMemory };
}

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

  fs.writeFileSync(path.join(site, 'bare.html'), BARE_PAGE);
  const server = await startServer(site, 0);
  const url = `http://127.0.0.1:${server.address().port}/`;
  const loads = { game: [], bare: [] };
  for (let run = 0; run < 3; ++run) {
    loads.game.push(await firstPicture(url, shownIn.game));
    loads.bare.push(await firstPicture(url + 'bare.html', shownIn.bare));
  }
  const seconds = (values) => values.map((t) => (t / 1000).toFixed(2) + ' s').join(', ');
  console.log(`load to the first drawn title: ${seconds(loads.game)} (fresh profile each)`);
  console.log(`load to the bare page's first picture: ${seconds(loads.bare)}`);

  const bareBrowser = await launch();
  const barePage = bareBrowser.context.pages()[0];
  await barePage.goto(url + 'bare.html');
  await barePage.waitForTimeout(2000);
  const bare = await drag(barePage, bareBrowser.profile, shownIn.bare);
  await bareBrowser.close();
  console.log(`bare page while the mouse moves: ${describe(bare)}`);

  const whole = await gameHoldingAPiece(url, false);
  const inFull = await drag(whole.page, whole.browser.profile, shownIn.game);
  await whole.page.mouse.up();
  await whole.browser.close();
  console.log(`dragging a piece, every present drawn in full: ${describe(inFull)}`);

  const game = await gameHoldingAPiece(url, true);
  console.log(`memory on the title: ${game.titleMemory}`);
  const parts = await drag(game.page, game.browser.profile, shownIn.game);
  console.log(`dragging a piece: ${describe(parts)} (${os.cpus().length} cores, load ${os.loadavg()[0].toFixed(1)})`);
  console.log(`memory in play: ${await memory(game.page, game.browser.profile)}`);
  await game.page.mouse.up();
  await game.browser.close();

  const ratio = (a, b) => (a / b).toFixed(2);
  console.log('game / bare page:');
  console.log(`  CPU a picture shown while dragging: ${ratio(parts.cpuPerFrame, bare.cpuPerFrame)} (target <= 1.5; ` +
    `${ratio(inFull.cpuPerFrame, bare.cpuPerFrame)} drawn in full)`);
  console.log(`  pictures shown a second while dragging: ${ratio(parts.fps, bare.fps)} (target >= 0.9; ` +
    `${ratio(inFull.fps, bare.fps)} drawn in full)`);
  console.log(`  first picture after navigation (medians): ${ratio(median(loads.game), median(loads.bare))} (target <= 1.3)`);
  server.close();
  fs.rmSync(site, { recursive: true, force: true });
}

main().catch((e) => {
  console.error(e);
  process.exit(1);
});
