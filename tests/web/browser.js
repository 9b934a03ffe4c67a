// Headless Chromium for the browser tests: Debian's chromium driven by
// playwright-core, a fresh profile every time, software WebGL.
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const { chromium } = require('playwright-core');

const CHROMIUM = process.env.POKOMARU_CHROMIUM || '/usr/bin/chromium';

// The viewport (CSS pixels) and device pixel ratio are the tests' usual
// unless given.
async function launch({ width = 1024, height = 768, deviceScaleFactor = 1 } = {}) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'pokomaru-web-'));
  const args = [
    '--headless', '--no-sandbox', '--enable-unsafe-swiftshader', '--use-angle=swiftshader',
    '--disable-background-networking', '--disable-component-update', '--disable-sync', '--no-first-run',
    '--disable-renderer-backgrounding', '--disable-background-timer-throttling',
    '--disable-backgrounding-occluded-windows',
  ];
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: CHROMIUM,
    headless: true,
    args,
    viewport: { width, height },
    deviceScaleFactor,
  });
  const close = async () => {
    await context.close().catch(() => {});
    fs.rmSync(profile, { recursive: true, force: true });
  };
  return { context, close, profile };
}

module.exports = { launch };
