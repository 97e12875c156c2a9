// The web checks' one driver: a check's scratch directory, a static server on 127.0.0.1 (a free
// port, in this process), headless Chromium over the DevTools protocol (puppeteer-core, a
// profile of its own in the scratch directory), the page's contract (window.ks, the state on
// the body, the box), and the picture measures of tests/support/pictures.sh. Everything a check
// starts is stopped and removed on its way out, also when it fails or is sent SIGTERM/SIGINT.
//
//   const { check } = require('./driver');
//   check('what it shows', async (t) => { const page = await t.open(await t.browser(), '?from=150'); ... });
//
// A check ends with status 0 (PASS), 1 (FAIL: the reason on standard error) or 77 (skipped: no
// Chromium, or no page and no Emscripten to build it, and CI is not set; on CI that fails).
'use strict';
const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const { execFileSync } = require('child_process');

const SOURCE = path.resolve(__dirname, '../..');
const BUILD = process.env.KS_BUILD_DIR || path.join(SOURCE, 'build');
const SITE = process.env.KS_WEB_SITE || path.join(SOURCE, 'build-web/site');
const CHROMIUM = process.env.KS_CHROMIUM || '/usr/lib/chromium/chromium';
const ON_CI = /^(1|true|yes)$/i.test(process.env.CI || '');

class Skip extends Error {}
class Failure extends Error {}

const TYPES = {
  '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.css': 'text/css',
  '.json': 'application/json', '.txt': 'text/plain', '.png': 'image/png', '.jpg': 'image/jpeg',
  '.bmp': 'image/bmp', '.mp3': 'audio/mpeg', '.ttf': 'font/ttf', '.svg': 'image/svg+xml',
};

// A missing tool skips the check off CI and fails it on CI.
function need(ok, what) {
  if (ok) return;
  if (ON_CI) throw new Failure(`${what} (required on CI)`);
  throw new Skip(what);
}

class Check {
  constructor(name) {
    this.name = name;
    this.work = fs.mkdtempSync(path.join(os.tmpdir(), 'ks-web-'));
    this.servers = [];
    this.browsers = [];
  }

  log(line) { console.log(line); }
  fail(reason) { throw new Failure(reason); }
  expect(ok, reason) { if (!ok) throw new Failure(reason); }

  // The built site (web.build makes it); a check needs it and Chromium.
  site() {
    const ready = fs.existsSync(path.join(SITE, 'index.html')) && fs.existsSync(path.join(SITE, 'kelvo-strand.wasm'));
    if (!ready) {
      let emcc = true;
      try { execFileSync('sh', ['-c', 'command -v emcc'], { stdio: 'ignore' }); } catch (e) { emcc = false; }
      need(emcc, 'emcc is not installed (./setup.sh installs emscripten)');
      this.fail(`no page at ${SITE} (the web.build test makes it)`);
    }
    return SITE;
  }

  // Serves the folder `root` (default: the site) on 127.0.0.1 at a free port; the base URL.
  async serve(root = this.site()) {
    const server = http.createServer((request, response) => {
      const url = new URL(request.url, 'http://127.0.0.1');
      let file = path.join(root, decodeURIComponent(url.pathname));
      if (!file.startsWith(root)) { response.writeHead(403).end(); return; }
      if (url.pathname.endsWith('/')) file = path.join(file, 'index.html');
      fs.readFile(file, (error, body) => {
        if (error) { response.writeHead(404, { 'Content-Type': 'text/plain' }).end('not found'); return; }
        response.writeHead(200, { 'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream',
                                  'Cache-Control': 'no-store' });
        response.end(body);
      });
    });
    await new Promise((resolve, reject) => server.once('error', reject).listen(0, '127.0.0.1', resolve));
    this.servers.push(server);
    return `http://127.0.0.1:${server.address().port}/`;
  }

  // Headless Chromium drawing WebGL 2 in software, its profile in the scratch directory; the
  // page is WIDTH x HEIGHT CSS pixels at device pixel ratio 1; sound may start without a gesture.
  async browser({ width = 1024, height = 768, args = [] } = {}) {
    need(fs.existsSync(CHROMIUM), `${CHROMIUM} is not installed (./setup.sh installs chromium)`);
    let puppeteer;
    try { puppeteer = require('puppeteer-core'); } catch (e) {
      this.fail(`puppeteer-core is not installed in ${__dirname} (npm ci --prefix tests/web)`);
    }
    const profile = fs.mkdtempSync(path.join(this.work, 'profile-'));
    const browser = await puppeteer.launch({
      executablePath: CHROMIUM, headless: true, pipe: true, userDataDir: profile,
      defaultViewport: { width, height, deviceScaleFactor: 1 },
      args: ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--disable-background-networking',
             '--disable-component-update', '--disable-sync', '--no-first-run', '--mute-audio',
             '--autoplay-policy=no-user-gesture-required', `--window-size=${width},${height}`, ...args],
    });
    this.browsers.push(browser);
    return browser;
  }

  // Opens the page with the URL parameters `query` ("?from=150") on a new tab. `before` is a
  // function run in the page before any of its scripts. The tab collects its console lines.
  async open(browser, query = '', { base, before, beforeArg } = {}) {
    base = base || this.base || (this.base = await this.serve());
    const page = await browser.newPage();
    page.lines = [];
    page.on('console', (message) => page.lines.push(message.text()));
    page.on('pageerror', (error) => page.lines.push(`page error: ${error.message}`));
    if (before) await page.evaluateOnNewDocument(before, beforeArg);
    await page.goto(base + query, { waitUntil: 'load' });
    return page;
  }

  // Waits up to `seconds` for `predicate` (a function run in the page, with `args`) to hold.
  async until(page, predicate, seconds, what, ...args) {
    try {
      await page.waitForFunction(predicate, { timeout: seconds * 1000, polling: 50 }, ...args);
    } catch (e) {
      const ks = await this.ks(page).catch(() => null);
      this.fail(`${what} within ${seconds} s (window.ks ${JSON.stringify(ks)}; console:\n  ${page.lines.join('\n  ')})`);
    }
  }

  // The page's window.ks and state, read at once.
  ks(page) {
    return page.evaluate(() => Object.assign({}, window.ks, { bodyState: document.body.dataset.state }));
  }

  // Presses Start as a person would, where the page waits for it (a run with autostart=1 or
  // against virtual time may have begun by itself).
  async begin(page) {
    await this.until(page, () => document.body.dataset.state, 20, 'the page set no state');
    if (await page.evaluate(() => document.body.dataset.state === 'start')) await page.click('#ks-start');
  }

  // Starts the show and waits for it to play.
  async start(page, seconds = 60) {
    await this.begin(page);
    await this.until(page, () => window.ks && window.ks.state === 'playing' && window.ks.frames > 0, seconds,
                     'the show did not start playing');
  }

  // A picture measure of tests/support/pictures.sh (histogram_distance, region_distance, ...).
  measure(fn, ...args) {
    return execFileSync('bash', ['-c', `source "$0/checks.sh"; source "$0/pictures.sh"; "$@"`,
                                 path.join(SOURCE, 'tests/support'), fn, ...args], { encoding: 'utf8' }).trim();
  }

  // The native program's capture frames at music seconds `times` (one virtual-time run), with the
  // clock hall's time of day fixed at 12:34:56; their paths, in the order of `times`.
  nativeFrames(times) {
    const program = path.join(BUILD, 'kelvo-strand');
    this.expect(fs.existsSync(program), `no native program at ${program} (cmake --build build)`);
    const dir = path.join(this.work, 'native');
    fs.mkdirSync(dir);
    fs.symlinkSync(path.join(BUILD, 'data'), path.join(dir, 'data'));
    try {
      execFileSync(program, ['--capture', 'frames', '--at', times.join(',')],
                   { cwd: dir, env: Object.assign({}, process.env, { KS_FIXED_TIME: '12:34:56' }), stdio: 'pipe' });
    } catch (error) {
      this.fail(`the native capture at ${times.join(',')} failed: ${error.stderr}`);
    }
    const frames = fs.readdirSync(path.join(dir, 'frames')).filter((f) => f.endsWith('.png')).sort();
    this.expect(frames.length === times.length, `the native capture wrote ${frames.length} frames for ${times.length} times`);
    return frames.map((f) => path.join(dir, 'frames', f));
  }

  // The position at each paint against the time the device had played since the first buffer:
  // never ahead of it by more than the timestamps' jitter (35 ms: the position holds the
  // highest reading; 17 ms measured), and within `slackMs` of it at the quickest paints (each
  // paint lags by the time its frame takes to draw after reading the clock: 10 to 80 ms measured
  // at 1024x768 on a busy machine, 130 ms at 1920x1080); over the run it grows as fast as the
  // played time. `offsetMs`: the viewer's offset, which holds the position back by as much.
  inStep(paints, firstStart, offsetMs = 0, slackMs = 100) {
    const used = paints.filter(([ms]) => ms >= 500 + offsetMs);
    if (used.length < 20) this.fail(`only ${used.length} paints past ${(500 + offsetMs) / 1000} s of music`);
    const lags = used.map(([ms, at]) => (at - firstStart) * 1000 - offsetMs - ms).sort((x, y) => x - y);
    const [first, last] = [used[0], used[used.length - 1]];
    const slope = (last[0] - first[0]) / ((last[1] - first[1]) * 1000);
    this.log(`offset ${offsetMs} ms: ${used.length} paints, the position behind the played time (less the offset) by ` +
             `${lags[0].toFixed(0)} to ${lags[lags.length - 1].toFixed(0)} ms (median ${lags[lags.length >> 1].toFixed(0)}); ` +
             `it grows ${slope.toFixed(3)} times as fast (limits: -35 to ${slackMs} ms at the quickest paint, 0.97 to 1.03)`);
    return lags[0] >= -35 && lags[0] <= slackMs && Math.abs(slope - 1) <= 0.03;
  }

  // Writes a data: URL's bytes (a PNG from the page, a screenshot) to the scratch directory.
  writePng(name, data) {
    const file = path.join(this.work, name);
    fs.writeFileSync(file, Buffer.from(String(data).replace(/^data:image\/png;base64,/, ''), 'base64'));
    return file;
  }

  // A copy of the site (links, data/ a folder of links) under the scratch directory, with the
  // data files that `change` (name -> function(bytes) -> bytes, or null to leave it out) names.
  siteWith(label, change) {
    const site = this.site();
    const copy = path.join(this.work, label);
    fs.mkdirSync(path.join(copy, 'data'), { recursive: true });
    for (const entry of fs.readdirSync(site)) {
      if (entry !== 'data') fs.symlinkSync(path.join(site, entry), path.join(copy, entry));
    }
    for (const entry of fs.readdirSync(path.join(site, 'data'))) {
      const from = path.join(site, 'data', entry);
      if (!(entry in change)) fs.symlinkSync(from, path.join(copy, 'data', entry));
      else if (change[entry]) fs.writeFileSync(path.join(copy, 'data', entry), change[entry](fs.readFileSync(from)));
    }
    return copy;
  }

  async cleanup() {
    for (const browser of this.browsers.splice(0)) await browser.close().catch(() => {});
    for (const server of this.servers.splice(0)) await new Promise((resolve) => server.close(resolve));
    if (process.env.KS_WEB_KEEP) console.log(`scratch directory kept: ${this.work}`);
    else fs.rmSync(this.work, { recursive: true, force: true });
  }
}

// Run in a page before its scripts (`open(..., { before: audioProbe })`): keeps the page's
// AudioContexts, taps whatever reaches their destinations with an analyser, notes the earliest
// context time a buffer was started at, and records at every paint (each time the page sets
// window.ks.musicMs) the position beside the context time the device plays then. ksProbe()
// says, for the latest context: its state, the context time the device plays now (its output
// timestamp, carried on in real time while it runs), the first start, the peak level of the
// last 2048 frames that reached the speakers, and the page's musicMs and frames; ksProbe.paints()
// the recorded [musicMs, context time] pairs.
function audioProbe() {
  const contexts = [];
  const Native = window.AudioContext;
  window.AudioContext = class extends Native {
    constructor(...args) { super(...args); contexts.push(this); }
  };
  const connect = AudioNode.prototype.connect;
  AudioNode.prototype.connect = function (target, ...rest) {
    const result = connect.call(this, target, ...rest);
    if (target instanceof AudioDestinationNode) {
      const context = target.context;
      if (!context.ksTap) { context.ksTap = context.createAnalyser(); context.ksTap.fftSize = 2048; }
      connect.call(this, context.ksTap);
    }
    return result;
  };
  const start = AudioBufferSourceNode.prototype.start;
  AudioBufferSourceNode.prototype.start = function (when = 0, ...rest) {
    const context = this.context;
    const at = Math.max(when, context.currentTime);
    if (context.ksFirstStart === undefined || at < context.ksFirstStart) context.ksFirstStart = at;
    return start.call(this, when, ...rest);
  };
  const latest = () => contexts[contexts.length - 1];
  const playing = (context) => {
    const stamp = context.getOutputTimestamp();
    const now = stamp.contextTime + (context.state === 'running' ? (performance.now() - stamp.performanceTime) / 1000 : 0);
    return Math.min(now, context.currentTime);
  };
  const paints = [];
  let ks;
  Object.defineProperty(window, 'ks', { configurable: true, get: () => ks, set(value) {
    ks = value;
    let musicMs = value.musicMs;
    Object.defineProperty(value, 'musicMs', { enumerable: true, configurable: true, get: () => musicMs, set(ms) {
      musicMs = ms;
      const context = latest();
      if (context && context.state !== 'closed') paints.push([ms, playing(context)]);
    } });
  } });
  window.ksProbe = () => {
    const context = latest();
    if (!context) return null;
    let peak = 0;
    if (context.ksTap) {
      const samples = new Float32Array(context.ksTap.fftSize);
      context.ksTap.getFloatTimeDomainData(samples);
      for (const v of samples) peak = Math.max(peak, Math.abs(v));
    }
    return { state: context.state, contexts: contexts.length, playing: playing(context), firstStart: context.ksFirstStart,
             peak, musicMs: ks && ks.musicMs, frames: ks && ks.frames };
  };
  window.ksProbe.context = latest;
  window.ksProbe.paints = () => paints.slice();
}

// Runs one check and ends the process with its status.
function check(name, body) {
  const t = new Check(name);
  let ending = false;
  const end = async (status) => {
    if (ending) return;
    ending = true;
    await t.cleanup().catch((e) => console.error(`cleanup: ${e.message}`));
    process.exit(status);
  };
  process.on('SIGTERM', () => { console.error('FAIL: ended by SIGTERM'); end(143); });
  process.on('SIGINT', () => { console.error('FAIL: ended by SIGINT'); end(130); });
  body(t).then(() => { console.log('PASS'); return end(0); }, (error) => {
    if (error instanceof Skip) { console.log(`SKIP: ${error.message}`); return end(77); }
    console.error(error instanceof Failure ? `FAIL: ${error.message}` : `FAIL: ${error.stack}`);
    return end(1);
  });
}

// Decimal limits with the same comparison as pictures.sh's `is`.
function within(value, low, high) { return Number(value) >= low && Number(value) <= high; }

module.exports = { check, within, audioProbe, SOURCE, SITE, BUILD };
