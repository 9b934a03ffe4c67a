// The three browser engines the tests run in, behind one small tab
// interface, so that every test body is written once:
//   chromium  Debian's chromium through playwright-core (DevTools protocol),
//             headless, software WebGL; touch through the protocol's own
//             touch events.
//   firefox   Debian's firefox-esr through puppeteer-core over WebDriver
//             BiDi, headless but with an X display (it refuses WebGL
//             without one); touch as W3C pointer actions of type touch.
//   webkit    Debian's WebKitGTK (its MiniBrowser) through WebKitWebDriver
//             and selenium-webdriver, in a real window under Xvfb; touch
//             as W3C actions where they arrive as touches, else as
//             TouchEvents made in the page (see `touch`).
// Nothing here downloads a browser: each is the installed one.
//
// A tab offers: goto, reload, evaluate(fn, ...args) (fn runs in the page;
// its promise is awaited; arguments and result are JSON), mouseMove,
// mouseDown, mouseUp, touchStart, touchMove, touchEnd (one finger),
// pressKey('Escape'), screenshot() (PNG of the viewport), resize(w, h),
// setDeviceScale(ratio) (the device pixel ratio at this viewport; false
// where the driver cannot set it).
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const net = require('net');
const { spawn } = require('child_process');

const ENGINES = ['chromium', 'firefox', 'webkit'];
const FIREFOX = process.env.POKOMARU_FIREFOX || '/usr/bin/firefox-esr';
const WEBKIT_DRIVER = process.env.POKOMARU_WEBKIT_DRIVER || '/usr/bin/WebKitWebDriver';
const MINIBROWSER = process.env.POKOMARU_MINIBROWSER || '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';
const WIDTH = 1024, HEIGHT = 768;

// A function and its arguments as one expression every driver evaluates:
// its result (awaited) as JSON text, so that any driver carries it as a
// plain string.
function expression(fn, args) {
  return `(async () => JSON.stringify({ value: await (${fn.toString()})(...${JSON.stringify(args)}) }))()`;
}

function resultOf(json) {
  return json === undefined ? undefined : JSON.parse(json).value;
}

function sleep(ms) {
  return new Promise((r) => setTimeout(r, ms));
}

// --- An X server for the engines that need a display ----------------------

// Xvfb on a display it picks itself; no window manager, as a kiosk has none.
function startXvfb() {
  return new Promise((resolve, reject) => {
    const server = spawn('Xvfb', ['-displayfd', '3', '-screen', '0', '1600x1200x24', '-nolisten', 'tcp', '-noreset'],
      { stdio: ['ignore', 'ignore', 'pipe', 'pipe'] });
    let text = '', errors = '';
    server.stderr.on('data', (d) => { errors += d; });
    server.stdio[3].on('data', (d) => {
      text += d;
      if (text.includes('\n')) resolve({ display: `:${text.trim()}`, stop: () => server.kill() });
    });
    server.on('exit', (code) => reject(new Error(`Xvfb ended (${code}): ${errors.trim()}`)));
  });
}

let xvfb = null;
async function display() {
  if (!xvfb) xvfb = await startXvfb();
  return xvfb.display;
}
function stopDisplay() {
  if (xvfb) xvfb.stop();
  xvfb = null;
}

// --- Chromium ---------------------------------------------------------------

class ChromiumTab {
  constructor(context, page, cdp) {
    this.context = context;
    this.page = page;
    this.cdp = cdp;
    this.engine = 'chromium';
    this.touchKind = 'driver';
  }
  async goto(url) { await this.page.goto(url); }
  async reload() { await this.page.reload(); }
  // Evaluated as no user's gesture (the driver's own evaluate counts as
  // one), so that only the tests' input events activate the page.
  async evaluate(fn, ...args) {
    const { result, exceptionDetails } = await this.cdp.send('Runtime.evaluate', {
      expression: expression(fn, args), awaitPromise: true, returnByValue: true, userGesture: false,
    });
    if (exceptionDetails) throw new Error(`in the page: ${exceptionDetails.exception ? exceptionDetails.exception.description : exceptionDetails.text}`);
    return resultOf(result.value);
  }
  async mouseMove(x, y, steps = 1) { await this.page.mouse.move(x, y, { steps }); }
  async mouseDown() { await this.page.mouse.down(); }
  async mouseUp() { await this.page.mouse.up(); }
  async touchStart(x, y) { await this.touch('touchStart', [{ x, y, id: 1 }]); }
  async touchMove(x, y) { await this.touch('touchMove', [{ x, y, id: 1 }]); }
  async touchEnd() { await this.touch('touchEnd', []); }
  async touch(type, touchPoints) { await this.cdp.send('Input.dispatchTouchEvent', { type, touchPoints }); }
  async pressKey(key) { await this.page.keyboard.press(key); }
  async screenshot() { return this.page.screenshot(); }
  async resize(width, height) { await this.page.setViewportSize({ width, height }); }
  async setDeviceScale(ratio) {
    const { width, height } = this.page.viewportSize();
    await this.cdp.send('Emulation.setDeviceMetricsOverride', { width, height, deviceScaleFactor: ratio, mobile: false });
    return true;
  }
}

async function launchChromium() {
  const { launch } = require('./browser');
  const browser = await launch();
  const page = browser.context.pages()[0] || (await browser.context.newPage());
  const cdp = await browser.context.newCDPSession(page);
  await cdp.send('Emulation.setTouchEmulationEnabled', { enabled: true, maxTouchPoints: 5 });
  return { tab: new ChromiumTab(browser.context, page, cdp), close: browser.close };
}

// --- Firefox ----------------------------------------------------------------

class FirefoxTab {
  constructor(page) {
    this.page = page;
    this.engine = 'firefox';
    this.touchKind = 'driver';
    this.finger = null;
  }
  async goto(url) { await this.page.goto(url); }
  async reload() { await this.page.reload(); }
  // Straight over WebDriver BiDi, as no user's activation (the driver's
  // own evaluate grants one), so that only the tests' input events
  // activate the page.
  async evaluate(fn, ...args) {
    const context = this.page.mainFrame().browsingContext;
    const { result } = await context.userContext.browser.session.send('script.evaluate', {
      expression: expression(fn, args), target: { context: context.id }, awaitPromise: true,
      resultOwnership: 'none', userActivation: false,
    });
    if (result.type === 'exception') throw new Error(`in the page: ${result.exceptionDetails.text}`);
    return resultOf(result.result.value);
  }
  async mouseMove(x, y, steps = 1) { await this.page.mouse.move(x, y, { steps }); }
  async mouseDown() { await this.page.mouse.down(); }
  async mouseUp() { await this.page.mouse.up(); }
  async touchStart(x, y) { this.finger = await this.page.touchscreen.touchStart(x, y); }
  async touchMove(x, y) { await this.finger.move(x, y); }
  async touchEnd() {
    const finger = this.finger;
    this.finger = null;
    await finger.end();
  }
  async pressKey(key) { await this.page.keyboard.press(key); }
  async screenshot() { return Buffer.from(await this.page.screenshot()); }
  async resize(width, height) { await this.page.setViewport({ width, height }); }
  async setDeviceScale(ratio) {
    const { width, height } = this.page.viewport() || { width: WIDTH, height: HEIGHT };
    await this.page.setViewport({ width, height, deviceScaleFactor: ratio });
    return true;
  }
}

async function launchFirefox() {
  const puppeteer = require('puppeteer-core');
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'pokomaru-firefox-'));
  const browser = await puppeteer.launch({
    browser: 'firefox',
    executablePath: FIREFOX,
    headless: true,
    userDataDir: profile,
    env: { ...process.env, DISPLAY: await display() },
    defaultViewport: null,
  });
  const page = (await browser.pages())[0] || (await browser.newPage());
  const tab = new FirefoxTab(page);
  await tab.resize(WIDTH, HEIGHT);
  const close = async () => {
    await browser.close().catch(() => {});
    fs.rmSync(profile, { recursive: true, force: true });
  };
  return { tab, close };
}

// --- WebKitGTK ---------------------------------------------------------------

function freePort() {
  return new Promise((resolve, reject) => {
    const server = net.createServer();
    server.once('error', reject);
    server.listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
  });
}

// W3C actions go straight to the driver, one input source per call; the
// driver keeps each source's state (position, buttons) between calls.
class WebKitTab {
  constructor(driver) {
    this.driver = driver;
    this.engine = 'webkit';
    this.touchKind = 'page';
    this.at = { x: 0, y: 0 };
  }
  async goto(url) { await this.driver.get(url); }
  async reload() { await this.driver.navigate().refresh(); }
  async evaluate(fn, ...args) {
    return resultOf(await this.driver.executeScript(`return ${expression(fn, args)}`));
  }
  async actions(source) {
    const { Command, Name } = require('selenium-webdriver/lib/command');
    await this.driver.execute(new Command(Name.ACTIONS).setParameter('actions', [source]));
  }
  pointer(id, type, actions) {
    return { type: 'pointer', id, parameters: { pointerType: type }, actions };
  }
  moves(x, y, steps) {
    const moves = [];
    for (let k = 1; k <= steps; ++k) {
      const px = this.at.x + ((x - this.at.x) * k) / steps, py = this.at.y + ((y - this.at.y) * k) / steps;
      moves.push({ type: 'pointerMove', origin: 'viewport', x: Math.round(px), y: Math.round(py), duration: 0 });
    }
    this.at = { x, y };
    return moves;
  }
  async mouseMove(x, y, steps = 1) { await this.actions(this.pointer('mouse', 'mouse', this.moves(x, y, steps))); }
  async mouseDown() { await this.actions(this.pointer('mouse', 'mouse', [{ type: 'pointerDown', button: 0 }])); }
  async mouseUp() { await this.actions(this.pointer('mouse', 'mouse', [{ type: 'pointerUp', button: 0 }])); }
  async touchStart(x, y) {
    if (this.touchKind === 'driver') {
      this.finger = { x, y };
      return this.actions(this.pointer('finger', 'touch', [
        { type: 'pointerMove', origin: 'viewport', x: Math.round(x), y: Math.round(y), duration: 0 },
        { type: 'pointerDown', button: 0 }]));
    }
    return this.pageTouch('touchstart', x, y);
  }
  async touchMove(x, y) {
    if (this.touchKind === 'driver')
      return this.actions(this.pointer('finger', 'touch', [
        { type: 'pointerMove', origin: 'viewport', x: Math.round(x), y: Math.round(y), duration: 0 }]));
    return this.pageTouch('touchmove', x, y);
  }
  async touchEnd() {
    if (this.touchKind === 'driver') return this.actions(this.pointer('finger', 'touch', [{ type: 'pointerUp', button: 0 }]));
    return this.pageTouch('touchend');
  }
  // A touch made by the page's own script, as a finger's would come: on the
  // element under the point, with the changed touch and the touches still
  // down. Such an event is not the user's: it grants no user activation.
  async pageTouch(type, x, y) {
    await this.evaluate((type, x, y) => {
      const state = window.pokomaruPageFinger || (window.pokomaruPageFinger = { x: 0, y: 0, target: null });
      if (type !== 'touchend') {
        state.x = x;
        state.y = y;
        if (type === 'touchstart') state.target = document.elementFromPoint(x, y) || document.body;
      }
      const target = state.target || document.body;
      const touch = document.createTouch(window, target, 1, state.x + scrollX, state.y + scrollY, state.x, state.y);
      const down = type === 'touchend' ? [] : [touch];
      const event = new TouchEvent(type, {
        bubbles: true, cancelable: true, composed: true, view: window,
        touches: document.createTouchList(...down), targetTouches: document.createTouchList(...down),
        changedTouches: document.createTouchList(touch),
      });
      target.dispatchEvent(event);
      if (type === 'touchend') state.target = null;
    }, type, x === undefined ? 0 : x, y === undefined ? 0 : y);
  }
  async pressKey(key) {
    const { Key } = require('selenium-webdriver');
    const value = { Escape: Key.ESCAPE }[key] || key;
    await this.actions({ type: 'key', id: 'keyboard', actions: [{ type: 'keyDown', value }, { type: 'keyUp', value }] });
  }
  async screenshot() { return Buffer.from(await this.driver.takeScreenshot(), 'base64'); }
  // The window's size less what the browser's own frame takes.
  async resize(width, height) {
    for (let attempt = 0; attempt < 3; ++attempt) {
      const inner = await this.evaluate(() => [innerWidth, innerHeight]);
      if (inner[0] === width && inner[1] === height) return;
      const rect = await this.driver.manage().window().getRect();
      await this.driver.manage().window().setRect({ width: rect.width + width - inner[0], height: rect.height + height - inner[1] });
    }
    throw new Error(`webkit: the viewport cannot be made ${width} x ${height}`);
  }
  // WebKitWebDriver has no command for the device pixel ratio.
  async setDeviceScale() { return false; }
}

// Whether the driver's touch actions reach a page as touches: WebKitGTK's
// driver has sent them as mouse events.
async function driverTouchArrives(tab) {
  await tab.evaluate(() => {
    window.pokomaruTouchProbe = [];
    for (const type of ['touchstart', 'mousedown']) window.addEventListener(type, (e) => window.pokomaruTouchProbe.push(e.type));
  });
  tab.touchKind = 'driver';
  try {
    await tab.touchStart(20, 20);
    await tab.touchEnd();
  } catch (error) {
    return false;  // the driver refuses touch actions altogether
  }
  const seen = await tab.evaluate(() => window.pokomaruTouchProbe);
  return seen.includes('touchstart');
}

async function launchWebKit() {
  const { Builder } = require('selenium-webdriver');
  const port = await freePort();
  const driverProcess = spawn(WEBKIT_DRIVER, [`--port=${port}`], {
    env: { ...process.env, DISPLAY: await display() }, stdio: ['ignore', 'ignore', 'pipe'],
  });
  let driverErrors = '';
  driverProcess.stderr.on('data', (d) => { driverErrors += d; });
  const server = `http://127.0.0.1:${port}`;
  for (let waited = 0; ; waited += 50) {
    const up = await fetch(`${server}/status`).then((r) => r.ok, () => false);
    if (up) break;
    if (waited > 20000 || driverProcess.exitCode !== null) throw new Error(`WebKitWebDriver did not start: ${driverErrors}`);
    await sleep(50);
  }
  const capabilities = {
    browserName: 'MiniBrowser',
    'webkitgtk:browserOptions': { binary: MINIBROWSER, args: ['--automation'] },
  };
  let driver;
  try {
    driver = await new Builder().usingServer(server).withCapabilities(capabilities).build();
  } catch (error) {
    driverProcess.kill();
    throw error;
  }
  await driver.manage().setTimeouts({ script: 300000, pageLoad: 120000 });
  const tab = new WebKitTab(driver);
  await driver.get('about:blank');
  await tab.resize(WIDTH, HEIGHT);
  tab.touchKind = (await driverTouchArrives(tab)) ? 'driver' : 'page';
  const close = async () => {
    await driver.quit().catch(() => {});
    driverProcess.kill();
  };
  return { tab, close };
}

const LAUNCHERS = { chromium: launchChromium, firefox: launchFirefox, webkit: launchWebKit };

async function launchEngine(name) {
  if (!LAUNCHERS[name]) throw new Error(`no engine ${name}: ${ENGINES.join(', ')}`);
  return LAUNCHERS[name]();
}

module.exports = { ENGINES, launchEngine, stopDisplay, ChromiumTab, WIDTH, HEIGHT };
