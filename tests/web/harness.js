// The browser tests' registry: a test is one body with the engine as a
// parameter. The files of suite/ add their tests with `test`; run_tests.js
// runs each in every engine it names (all three unless `engines` says
// otherwise) and hands the body
//   tab      the engine's tab (engines.js), one per engine for the whole run
//   engine   'chromium', 'firefox' or 'webkit'
//   url      the test site on an origin of the test's own (its own port), so
//            nothing stored by one test is seen by another
//   server   the site's server: server.close() takes the network away
//   note     note(text) prints a line under the test's result: a figure, or
//            what this engine could not be driven to do and why
'use strict';

const tests = [];

function test(name, body, { engines = null } = {}) {
  tests.push({ name, body, engines });
}

module.exports = { test, tests };
