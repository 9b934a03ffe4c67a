// The browser tests: the game's site (dist/web, with the test build's
// program files swapped in and the test hooks loaded first) served on
// 127.0.0.1 and played through the page's own mouse, touch and key events,
// every test in each of the three engines one after another, one browser
// per engine for the whole run.
// Usage: node run_tests.js [--engines chromium,firefox,webkit] [name-pattern]
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const { ENGINES, launchEngine, stopDisplay } = require('./engines');
const { startServer } = require('./serve');
const { tests } = require('./harness');
const { ROOT, atlas } = require('./game_page');

const SITE = path.join(ROOT, 'dist/web');
const TEST_PAGE = path.join(ROOT, process.env.POKOMARU_WEB_BUILD || 'build-web', 'test-page');
const SUITE = path.join(__dirname, 'suite');

// The site as built, with the test build's program (which also exports what
// the tests read) and the hooks script, which the service worker keeps too;
// by default this tree's, or a site and test build made of another.
function makeTestSite(built = SITE, testPage = TEST_PAGE) {
  const site = fs.mkdtempSync(path.join(os.tmpdir(), 'pokomaru-site-'));
  fs.cpSync(built, site, { recursive: true });
  for (const name of ['pokomaru-jigsaw.js', 'pokomaru-jigsaw.wasm', 'pokomaru-jigsaw.data'])
    fs.copyFileSync(path.join(testPage, name), path.join(site, name));
  fs.copyFileSync(path.join(__dirname, 'support/test_hooks.js'), path.join(site, 'test_hooks.js'));
  // The atlas as these tests read it, for the page to compare its decoding with.
  fs.writeFileSync(path.join(site, 'atlas.rgba'), atlas.rgba);
  const index = path.join(site, 'index.html');
  const html = fs.readFileSync(index, 'utf8');
  if (!html.includes('<script src="fit.js">')) throw new Error('index.html: no fit.js script to put the hooks before');
  fs.writeFileSync(index, html.replace('<script src="fit.js">', '<script src="test_hooks.js"></script>\n<script src="fit.js">'));
  const worker = path.join(site, 'sw.js');
  const sw = fs.readFileSync(worker, 'utf8');
  if (!sw.includes('"index.html"')) throw new Error('sw.js: no list of files with index.html');
  fs.writeFileSync(worker, sw.replace('"index.html"', '"index.html","test_hooks.js"'));
  return site;
}

function parseArguments(argv) {
  let engines = ENGINES, filter = '';
  for (let i = 0; i < argv.length; ++i) {
    if (argv[i] === '--engines') engines = argv[++i].split(',').filter(Boolean);
    else if (argv[i].startsWith('--engines=')) engines = argv[i].slice(10).split(',').filter(Boolean);
    else filter = argv[i];
  }
  for (const e of engines) if (!ENGINES.includes(e)) throw new Error(`no engine ${e}: ${ENGINES.join(', ')}`);
  return { engines, filter };
}

async function runEngine(engine, chosen, site, totals) {
  const started = Date.now();
  let browser = null, launchSeconds = 0;
  const open = async () => {
    const t = Date.now();
    browser = await launchEngine(engine);
    launchSeconds += (Date.now() - t) / 1000;
  };
  for (const { name, body } of chosen) {
    const testStarted = Date.now();
    const notes = [];
    const server = await startServer(site, 0);
    const url = `http://127.0.0.1:${server.address().port}/`;
    ++totals.ran;
    try {
      if (!browser) await open();
      await body({ tab: browser.tab, engine, url, server, note: (text) => notes.push(text) });
      console.log(`ok   [${engine}] ${name} (${((Date.now() - testStarted) / 1000).toFixed(1)} s)`);
    } catch (error) {
      ++totals.failed;
      console.log(`FAIL [${engine}] ${name}\n     ${(error && error.stack) || error}`);
      // A failed test may leave the browser in any state: the next starts afresh.
      if (browser) await browser.close();
      browser = null;
    } finally {
      for (const text of notes) console.log(`     ${engine}: ${text}`);
      server.close();
      if (server.closeAllConnections) server.closeAllConnections();
    }
    // The page is left, so that it costs the machine nothing more.
    if (browser) await browser.tab.goto('about:blank').catch(() => {});
  }
  if (browser) await browser.close();
  const seconds = (Date.now() - started) / 1000;
  console.log(`== ${engine}: ${chosen.length} tests in ${seconds.toFixed(1)} s (browser start ${launchSeconds.toFixed(1)} s)`);
}

async function main() {
  for (const file of fs.readdirSync(SUITE).filter((f) => f.endsWith('.js')).sort()) require(path.join(SUITE, file));
  const { engines, filter } = parseArguments(process.argv.slice(2));
  if (!fs.existsSync(path.join(SITE, 'index.html'))) throw new Error('no dist/web: run scripts/build-web.sh');
  if (!fs.existsSync(path.join(TEST_PAGE, 'pokomaru-jigsaw.wasm'))) throw new Error(`no test build in ${TEST_PAGE}`);
  const site = makeTestSite();
  const totals = { ran: 0, failed: 0 };
  try {
    for (const engine of engines) {
      const pattern = new RegExp(filter);
      const chosen = tests.filter((t) => pattern.test(t.name) && (!t.engines || t.engines.includes(engine)));
      if (chosen.length) await runEngine(engine, chosen, site, totals);
    }
  } finally {
    stopDisplay();
    fs.rmSync(site, { recursive: true, force: true });
  }
  console.log(`browser tests: ${totals.ran - totals.failed} passed, ${totals.failed} failed`);
  process.exit(totals.failed || totals.ran === 0 ? 1 : 0);
}

if (require.main === module) {
  main().catch((error) => {
    console.error(error);
    stopDisplay();
    process.exit(1);
  });
}

module.exports = { makeTestSite };
