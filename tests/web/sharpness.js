// How sharp the info panel's text reaches the screen, measured in headless
// Chromium (a measurement: it prints and asserts nothing): a piece held in
// the municipality game, the page at a few window sizes and device pixel
// ratios, the panel's text cut from a screenshot at device pixels, and its
// mean luminance gradient (|dx| + |dy| between neighbouring pixels, 0..255
// a pixel): the softer the stretch, the lower. Each size is measured for
// this tree's build and, given --before DIR (a site in DIR/web and its test
// build in DIR/test-page, built from an earlier revision), for that one.
// The scatter is the same in every run: the page's clock is held still for
// the game's seed.
// Usage: node sharpness.js [--before DIR] [--images DIR]
'use strict';
const fs = require('fs');
const path = require('path');
const { launch } = require('./browser');
const { ChromiumTab } = require('./engines');
const { startServer } = require('./serve');
const { makeTestSite } = require('./run_tests');
const { decodePng } = require('./png');
const g = require('./game_page');

const SIZES = [
  { name: 'ipad-portrait', width: 820, height: 1180, ratio: 2 },
  { name: 'ipad-landscape', width: 1180, height: 820, ratio: 2 },
  { name: '4k', width: 3840, height: 2160, ratio: 1 },
];
// The region and remark lines of the panel (16-pixel Mincho), in the back
// buffer's pixels.
const TEXT = { x: 8, y: 98, w: 64, h: 44 };
// Kumagaya: both lines fill the cut.
const PIECE = 36;

function parseArguments(argv) {
  const options = { before: null, images: null };
  for (let i = 0; i < argv.length; ++i) {
    if (argv[i] === '--before') options.before = argv[++i];
    else if (argv[i] === '--images') options.images = argv[++i];
    else throw new Error(`usage: node sharpness.js [--before DIR] [--images DIR]`);
  }
  return options;
}

// Mean of |dx| + |dy| of the luminance over the picture.
function meanGradient({ width, height, rgba }) {
  const lum = new Float64Array(width * height);
  for (let i = 0; i < width * height; ++i)
    lum[i] = 0.2126 * rgba[i * 4] + 0.7152 * rgba[i * 4 + 1] + 0.0722 * rgba[i * 4 + 2];
  let sum = 0, n = 0;
  for (let y = 0; y + 1 < height; ++y)
    for (let x = 0; x + 1 < width; ++x) {
      const i = y * width + x;
      sum += Math.abs(lum[i + 1] - lum[i]) + Math.abs(lum[i + width] - lum[i]);
      ++n;
    }
  return n ? sum / n : 0;
}

// The page's point over a back-buffer point.
function pagePoint(canvas, x, y) {
  return { x: canvas.left + (x * canvas.width) / 1024, y: canvas.top + (y * canvas.height) / 768 };
}

// A piece held, away from the panel, with the panel's lines fully shown;
// the screenshot of its text, at device pixels.
async function panelText(tab, url) {
  const frozen = () => {
    const t = 1765000000000;
    Date.now = () => t;
  };
  await g.openGame(tab, url, { init: frozen });
  const canvas = await tab.evaluate(() => {
    const c = document.getElementById('canvas');
    const r = c.getBoundingClientRect();
    return { left: r.left, top: r.top, width: r.width, height: r.height, pixels: [c.width, c.height] };
  });
  const button = pagePoint(canvas, 380, 632);
  await tab.mouseMove(button.x, button.y);
  await g.waitForState(tab, 'the button lit', (s) => s.title_button_state === 1);
  await tab.mouseDown();
  await g.waitForState(tab, 'the button pressed', (s) => s.title_button_state === 2);
  await tab.mouseUp();
  let s = await g.waitForPlay(tab, g.Mode.Municipality);
  // The same piece every time, so that its panel shows the same text.
  let held = null;
  for (let attempt = 0; !held; ++attempt) {
    const centre = g.pieceCentre(s.pieces[PIECE]);
    const at = pagePoint(canvas, centre.x, centre.y);
    await tab.mouseMove(at.x, at.y);
    await g.waitForState(tab, `piece ${PIECE} the candidate`, (t, i) => t.drag_phase === 2 && t.active_piece === i, PIECE);
    await tab.mouseDown();
    try {
      held = await g.heldPiece(tab, 10000);
    } catch (error) {
      if (attempt >= 4) throw error;
      await tab.mouseUp();
      s = await g.state(tab);
    }
  }
  const away = pagePoint(canvas, 800, 600);
  await tab.mouseMove(away.x, away.y, 4);
  await g.frames(tab, 120);
  const clip = {
    x: Math.round(canvas.left + (TEXT.x * canvas.width) / 1024), y: Math.round(canvas.top + (TEXT.y * canvas.height) / 768),
    width: Math.round((TEXT.w * canvas.width) / 1024), height: Math.round((TEXT.h * canvas.height) / 768),
  };
  const png = await tab.page.screenshot({ clip });
  const last = await g.state(tab);
  await tab.mouseUp();
  const stillHeld = last.active_piece === held.active_piece && last.pieces[held.active_piece].state === g.Piece.Held;
  return { png, canvas, piece: held.active_piece, stillHeld };
}

async function measure(label, built, testPage, images) {
  const site = makeTestSite(built, testPage);
  const server = await startServer(site, 0);
  const url = `http://127.0.0.1:${server.address().port}/`;
  const figures = {};
  try {
    for (const size of SIZES) {
      const browser = await launch({ width: size.width, height: size.height, deviceScaleFactor: size.ratio });
      let r;
      try {
        const page = browser.context.pages()[0] || (await browser.context.newPage());
        const cdp = await browser.context.newCDPSession(page);
        r = await panelText(new ChromiumTab(browser.context, page, cdp), url);
      } finally {
        await browser.close();
      }
      const picture = decodePng(r.png);
      const k = Math.max(1, Math.floor(Math.min(r.canvas.pixels[0] / 1024, r.canvas.pixels[1] / 768)));
      figures[size.name] = meanGradient(picture);
      console.log(`${label}: ${size.width} x ${size.height} CSS at ${size.ratio}: canvas ${r.canvas.pixels.join(' x ')} ` +
        `(${(r.canvas.pixels[0] / 1024).toFixed(3)} times, whole multiple ${k}), crop ${picture.width} x ${picture.height}, ` +
        `piece ${r.piece}${r.stillHeld ? '' : ' (let go!)'}: mean gradient ${figures[size.name].toFixed(2)}`);
      if (images) {
        fs.mkdirSync(images, { recursive: true });
        fs.writeFileSync(path.join(images, `panel-text-${size.width}x${size.height}-dpr${size.ratio}-${label}.png`), r.png);
      }
    }
  } finally {
    server.close();
    if (server.closeAllConnections) server.closeAllConnections();
    fs.rmSync(site, { recursive: true, force: true });
  }
  return figures;
}

async function main() {
  const { before, images } = parseArguments(process.argv.slice(2));
  const build = path.join(g.ROOT, process.env.POKOMARU_WEB_BUILD || 'build-web');
  const results = {};
  if (before) results.before = await measure('before', path.join(before, 'web'), path.join(before, 'test-page'), images);
  results.after = await measure('after', path.join(g.ROOT, 'dist/web'), path.join(build, 'test-page'), images);
  if (before)
    for (const size of SIZES)
      console.log(`${size.name}: mean gradient ${results.before[size.name].toFixed(2)} -> ${results.after[size.name].toFixed(2)} ` +
        `(${(results.after[size.name] / results.before[size.name]).toFixed(2)} times)`);
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
