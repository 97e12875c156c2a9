// The web checks' one driver: a check's scratch directory, a static server on 127.0.0.1 (a free
// port, in this process), the browser engine that KS_WEB_ENGINE names (a profile of its own in
// the scratch directory), the page's contract (window.ks, the state on the body, the box), and
// the picture measures of tests/support/pictures.sh. The engines:
//   chromium  headless, over the DevTools protocol (puppeteer-core)
//   firefox   Firefox ESR over WebDriver BiDi (puppeteer-core), in an X server of the check's
//             own (headless Firefox offers no WebGL 2 in software)
//   webkit    WebKitGTK's MiniBrowser through WebKitWebDriver (classic WebDriver, the small
//             client below), in an X server of the check's own
// A page the driver opens is served with a recorder as its first script: every console line
// and every uncaught exception or rejection, whatever later handler hides it; a check fails
// when any page had an uncaught one. `browser({ sound: true })` plays into a PulseAudio null
// sink that the check starts, so the heard position is a real device's in every engine.
// Everything a check starts is stopped and removed on its way out, also when it fails or is
// sent SIGTERM/SIGINT.
//
//   const { check } = require('./driver');
//   check('what it shows', async (t) => { const page = await t.open(await t.browser(), '?from=150'); ... });
//
// A check ends with status 0 (PASS), 1 (FAIL: the reason on standard error) or 77 (skipped: no
// browser, or no page and no Emscripten to build it, and CI is not set; on CI that fails).
'use strict';
const fs = require('fs');
const http = require('http');
const net = require('net');
const os = require('os');
const path = require('path');
const { execFileSync, spawn } = require('child_process');

const SOURCE = path.resolve(__dirname, '../..');
const BUILD = process.env.KS_BUILD_DIR || path.join(SOURCE, 'build');
const SITE = process.env.KS_WEB_SITE || path.join(SOURCE, 'build-web/site');
const ENGINE = process.env.KS_WEB_ENGINE || 'chromium';
const CHROMIUM = process.env.KS_CHROMIUM || '/usr/lib/chromium/chromium';
const FIREFOX = process.env.KS_FIREFOX || '/usr/bin/firefox-esr';
const WEBKIT_DRIVER = process.env.KS_WEBKIT_DRIVER || '/usr/bin/WebKitWebDriver';
const MINIBROWSER = process.env.KS_MINIBROWSER || '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';
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
    this.daemons = [];
    this.pages = [];
    this.scripts = [];
    this.engine = ENGINE;
    this.owner = { KS_WEB_OWNER: this.work };  // in the environment of every process the check starts
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
  // Under /pN/ it serves the same files, with the page's scripts preceded by the recorder and
  // by the Nth script of `open`'s `before`.
  async serve(root = this.site()) {
    const server = http.createServer((request, response) => {
      const url = new URL(request.url, 'http://127.0.0.1');
      const prefix = /^\/p(\d+)\//.exec(url.pathname);
      const pathname = prefix ? url.pathname.slice(prefix[0].length - 1) : url.pathname;
      let file = path.join(root, decodeURIComponent(pathname));
      if (!file.startsWith(root)) { response.writeHead(403).end(); return; }
      if (pathname.endsWith('/')) file = path.join(file, 'index.html');
      fs.readFile(file, (error, body) => {
        if (error) { response.writeHead(404, { 'Content-Type': 'text/plain' }).end('not found'); return; }
        if (prefix && file.endsWith('.html')) {
          const script = `<script>(${recorder})();${this.scripts[Number(prefix[1])] || ''}</script>`;
          body = String(body).replace('<head>', `<head>${script}`);
        }
        response.writeHead(200, { 'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream',
                                  'Cache-Control': 'no-store' });
        response.end(body);
      });
    });
    await new Promise((resolve, reject) => server.once('error', reject).listen(0, '127.0.0.1', resolve));
    this.servers.push(server);
    return `http://127.0.0.1:${server.address().port}/`;
  }

  // Starts `command` for the check's lifetime (stopped in cleanup); `ready(child)` resolves
  // when it serves. Its standard error is kept for the failure's message.
  async daemon(what, command, args, env, ready) {
    const child = spawn(command, args, { env: Object.assign({}, process.env, this.owner, env),
                                         stdio: ['ignore', 'ignore', 'pipe', 'pipe'] });
    let said = '';
    child.stderr.on('data', (chunk) => { said = (said + chunk).slice(-2000); });
    const exited = new Promise((resolve) => child.once('exit', resolve));
    this.daemons.push([child, exited]);
    const gone = exited.then((code) => this.fail(`${what} ended (status ${code}): ${said}`));
    const timeout = new Promise((resolve, reject) =>
      setTimeout(() => reject(new Failure(`${what} did not start within 20 s: ${said}`)), 20000).unref());
    return Promise.race([ready(child), gone, timeout]);
  }

  // An X server of the check's own (Xvfb, 1920x1080); its DISPLAY.
  async display() {
    if (this.xDisplay) return this.xDisplay;
    need(fs.existsSync('/usr/bin/Xvfb'), 'Xvfb is not installed (./setup.sh installs xvfb)');
    this.xDisplay = await this.daemon('Xvfb', 'Xvfb', ['-displayfd', '3', '-screen', '0', '1920x1080x24', '-nolisten', 'tcp'],
      {}, (child) => new Promise((resolve) => {
        let text = '';
        child.stdio[3].on('data', (chunk) => { text += chunk; if (text.includes('\n')) resolve(`:${text.trim()}`); });
      }));
    return this.xDisplay;
  }

  // A PulseAudio server of the check's own with a null sink as its only device; the
  // environment that sends a browser's sound to it.
  async soundServer() {
    if (this.pulse) return this.pulse;
    need(fs.existsSync('/usr/bin/pulseaudio') && fs.existsSync('/usr/bin/pactl'),
         'pulseaudio is not installed (./setup.sh installs pulseaudio and pulseaudio-utils)');
    const dir = fs.mkdtempSync(path.join(this.work, 'pulse-'));
    const socket = path.join(dir, 'native');
    const env = { HOME: dir, XDG_RUNTIME_DIR: dir, XDG_CONFIG_HOME: dir, PULSE_SERVER: `unix:${socket}` };
    await this.daemon('pulseaudio', 'pulseaudio', ['-n', '--daemonize=no', '--exit-idle-time=-1', '--use-pid-file=no',
      '--disable-shm=yes', '-L', `module-native-protocol-unix socket=${socket} auth-anonymous=1`,
      '-L', 'module-null-sink sink_name=ks_null'], env, async () => {
      for (;;) {
        try { execFileSync('pactl', ['info'], { env: Object.assign({}, process.env, env), stdio: 'ignore' }); return; } catch (e) {
          await new Promise((resolve) => setTimeout(resolve, 100));
        }
      }
    });
    this.pulse = { PULSE_SERVER: env.PULSE_SERVER };
    return this.pulse;
  }

  // How many streams play into the check's sound server now.
  soundStreams() {
    const listed = execFileSync('pactl', ['list', 'short', 'sink-inputs'],
                                { env: Object.assign({}, process.env, this.pulse), encoding: 'utf8' });
    return listed.split('\n').filter((line) => line.trim()).length;
  }

  // The engine's browser, its page WIDTH x HEIGHT CSS pixels at device pixel ratio 1, sound
  // allowed without a gesture; with `sound`, playing into the check's null sink (else silent).
  async browser({ width = 1024, height = 768, args = [], sound = false } = {}) {
    const env = sound ? await this.soundServer() : {};
    const profile = fs.mkdtempSync(path.join(this.work, 'profile-'));
    let browser;
    if (ENGINE === 'webkit') {
      need(fs.existsSync(WEBKIT_DRIVER) && fs.existsSync(MINIBROWSER),
           `${WEBKIT_DRIVER} or ${MINIBROWSER} is not installed (./setup.sh installs webkit2gtk-driver)`);
      browser = await WebKit.launch(this, { width, height, env: Object.assign({ DISPLAY: await this.display() }, env) });
    } else {
      let puppeteer;
      try { puppeteer = require('puppeteer-core'); } catch (e) {
        this.fail(`puppeteer-core is not installed in ${__dirname} (npm ci --prefix tests/web)`);
      }
      const common = { pipe: true, userDataDir: profile, defaultViewport: { width, height, deviceScaleFactor: 1 } };
      if (ENGINE === 'firefox') {
        need(fs.existsSync(FIREFOX), `${FIREFOX} is not installed (./setup.sh installs firefox-esr)`);
        browser = await puppeteer.launch(Object.assign(common, {
          browser: 'firefox', executablePath: FIREFOX, headless: false, pipe: false, args: [`--width=${width}`, `--height=${height}`, ...args],
          env: Object.assign({}, process.env, this.owner, { DISPLAY: await this.display(), MOZ_CRASHREPORTER_DISABLE: '1' }, env),
          extraPrefsFirefox: { 'media.autoplay.default': 0, 'media.autoplay.blocking_policy': 0,
                               'media.volume_scale': sound ? '1.0' : '0.0', 'webgl.force-enabled': true,
                               'full-screen-api.warning.timeout': 0, 'browser.shell.checkDefaultBrowser': false,
                               // No slow-script watchdog: its prompt would stop the page for good where a
                               // busy machine stretches one callback past 10 s (a check judges the timing)
                               'dom.max_script_run_time': 0 },
        }));
      } else {
        need(fs.existsSync(CHROMIUM), `${CHROMIUM} is not installed (./setup.sh installs chromium)`);
        browser = await puppeteer.launch(Object.assign(common, {
          executablePath: CHROMIUM, headless: true, env: Object.assign({}, process.env, this.owner, env),
          args: ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--disable-background-networking',
                 '--disable-component-update', '--disable-sync', '--no-first-run', ...(sound ? [] : ['--mute-audio']),
                 '--autoplay-policy=no-user-gesture-required', `--window-size=${width},${height}`, ...args],
        }));
      }
    }
    this.browsers.push(browser);
    return browser;
  }

  // Opens the page with the URL parameters `query` ("?from=150") on a new tab. `before` is a
  // function run in the page before any of its scripts (with `beforeArg`); `network`, in
  // Chromium, the link it is fetched over (bytes a second down and up, latency in ms);
  // `viewport` another page size, ratio or a touch screen (puppeteer's setViewport). page.lines: what
  // the recorder has collected so far (refreshed by `until` and at the page's close).
  async open(browser, query = '', { base, before, beforeArg, network, viewport } = {}) {
    base = base || this.base || (this.base = await this.serve());
    const n = this.scripts.push(before ? `(${before})(${JSON.stringify(beforeArg === undefined ? null : beforeArg)});` : '') - 1;
    const page = await browser.newPage();
    page.lines = [];
    // What the browser itself reports as uncaught, where its protocol says (not WebDriver's).
    page.reported = [];
    if (page.on) page.on('pageerror', (error) => page.reported.push(`uncaught exception (browser): ${error.message || error}`));
    const close = page.close.bind(page);
    page.close = async () => { await this.heard(page); page.ksClosed = true; return close(); };
    this.pages.push(page);
    if (network) await page.emulateNetworkConditions(network);  // Chromium's: { download, upload, latency }
    if (viewport) await page.setViewport(viewport);  // puppeteer's (hasTouch: a touch screen)
    const url = new URL(base);
    // A loaded machine may take the browser far past puppeteer's 30 s; the guard bounds the check.
    await page.goto(`${url.origin}/p${n}${url.pathname}${query}`, { waitUntil: 'load', timeout: 180000 });
    return page;
  }

  // The recorder's lines of `page` into page.lines; a failure for an uncaught exception.
  async heard(page) {
    if (!page.ksClosed) {
      const lines = await page.evaluate(() => (window.ksConsole || []).slice()).catch(() => null);
      if (lines) page.recorded = lines;
    }
    page.lines = (page.recorded || []).concat(page.reported);
    if (page.lines.some((line) => line.startsWith('uncaught'))) {
      this.fail(`the page had an uncaught exception:\n  ${page.lines.join('\n  ')}`);
    }
    return page.lines;
  }

  // Waits up to `seconds` for `predicate` (a function run in the page, with `args`) to hold.
  async until(page, predicate, seconds, what, ...args) {
    const end = Date.now() + seconds * 1000;
    let error = null;
    for (;;) {
      const ok = await page.evaluate(predicate, ...args).catch((e) => { error = e; return false; });
      if (ok) return;
      if (Date.now() > end || (error && /closed|crash/i.test(error.message))) break;  // a page that is gone stays gone
      await new Promise((resolve) => setTimeout(resolve, 100));
    }
    const soon = (promise) => Promise.race([promise, new Promise((resolve, reject) => setTimeout(reject, 5000))]);
    const ks = await soon(this.ks(page)).catch(() => null);
    await soon(this.heard(page)).catch(() => {});
    const unread = error ? `; the page could not be read: ${error.message}` : '';
    this.fail(`${what} within ${seconds} s (window.ks ${JSON.stringify(ks)}${unread}; console:\n  ${page.lines.join('\n  ')})`);
  }

  // The page's window.ks and state, read at once.
  ks(page) {
    return page.evaluate(() => Object.assign({}, window.ks, { bodyState: document.body.dataset.state }));
  }

  // Presses Start as a person would, where the page waits for it (a run with autostart=1 or
  // against virtual time may have begun by itself).
  async begin(page) {
    await this.until(page, () => document.body.dataset.state, 20, 'the page set no state');
    if (!(await page.evaluate(() => document.body.dataset.state === 'start'))) return;
    await page.click('#ks-start');
    // WebDriver's first click on a fresh MiniBrowser window now and then reaches no element
    // (the window still settling): a second one, said on the log.
    for (let waited = 0; waited < 3000; waited += 100) {
      if (!(await page.evaluate(() => document.body.dataset.state === 'start'))) return;
      await new Promise((resolve) => setTimeout(resolve, 100));
    }
    this.log('the click on Start did not reach the page in 3 s: clicking again');
    await page.click('#ks-start');
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
  // clock hall's time of day fixed at 12:34:56; their paths, in the order of `times`. They are
  // kept under the build's web/native-frames for the same program, data and times, so that
  // the engines' checks share one capture.
  nativeFrames(times) {
    const program = path.join(BUILD, 'kelvo-strand');
    this.expect(fs.existsSync(program), `no native program at ${program} (cmake --build build)`);
    const [built, data] = [fs.statSync(program), fs.statSync(path.join(BUILD, 'data'))];
    const key = `${times.join('_')}-${built.size}-${Math.round(built.mtimeMs)}-${Math.round(data.mtimeMs)}`;
    const kept = path.join(BUILD, 'web', 'native-frames', key);
    const list = (dir) => fs.readdirSync(dir).filter((f) => f.endsWith('.png')).sort().map((f) => path.join(dir, f));
    if (fs.existsSync(kept)) return list(kept);
    const dir = path.join(this.work, 'native');
    fs.mkdirSync(dir);
    fs.symlinkSync(path.join(BUILD, 'data'), path.join(dir, 'data'));
    try {
      execFileSync(program, ['--capture', 'frames', '--at', times.join(',')],
                   { cwd: dir, env: Object.assign({}, process.env, { KS_FIXED_TIME: '12:34:56' }), stdio: 'pipe' });
    } catch (error) {
      this.fail(`the native capture at ${times.join(',')} failed: ${error.stderr}`);
    }
    const frames = list(path.join(dir, 'frames'));
    this.expect(frames.length === times.length, `the native capture wrote ${frames.length} frames for ${times.length} times`);
    const staged = `${kept}.${process.pid}`;
    fs.cpSync(path.join(dir, 'frames'), staged, { recursive: true });
    try { fs.renameSync(staged, kept); } catch (e) { fs.rmSync(staged, { recursive: true, force: true }); }  // kept meanwhile
    return list(kept);
  }

  // The position at each paint against the music the device had played (the probe's sum of
  // the buffers' time that reached it, so a gap that a starved page left in the queue is not
  // counted): never ahead of it by more than the timestamps' jitter (35 ms: the position holds
  // the highest reading; 17 ms measured), and within `slackMs` of it at the quickest paints (each
  // paint lags by the time its frame takes to draw after reading the clock: 10 to 80 ms measured
  // at 1024x768 on a busy machine, 130 ms at 1920x1080); over the run it grows as fast as the
  // played music. `offsetMs`: the viewer's offset, which holds the position back by as much.
  inStep(paints, offsetMs = 0, slackMs = 100) {
    const used = paints.filter(([ms]) => ms >= 500 + offsetMs);
    if (used.length < 20) this.fail(`only ${used.length} paints past ${(500 + offsetMs) / 1000} s of music`);
    const lags = used.map(([ms, played]) => played * 1000 - offsetMs - ms).sort((x, y) => x - y);
    // The slope of a least-squares line through the paints (one late paint at either end of
    // the run moves it little).
    const mean = (f) => used.reduce((sum, p) => sum + f(p), 0) / used.length;
    const [mx, my] = [mean(([, at]) => at * 1000), mean(([ms]) => ms)];
    const slope = mean(([ms, at]) => (at * 1000 - mx) * (ms - my)) / mean(([, at]) => (at * 1000 - mx) ** 2);
    this.log(`offset ${offsetMs} ms: ${used.length} paints, the position behind the played time (less the offset) by ` +
             `${lags[0].toFixed(0)} to ${lags[lags.length - 1].toFixed(0)} ms (median ${lags[lags.length >> 1].toFixed(0)}); ` +
             `it grows ${slope.toFixed(3)} times as fast as the music played (limits: -35 to ${slackMs} ms at the quickest paint, 0.97 to 1.03)`);
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

  // Every open page's recorder heard no uncaught exception.
  async quiet() {
    for (const page of this.pages) await this.heard(page);
  }

  // The processes the check started that outlive their parents (a browser's helpers): given
  // 5 s to end on their own, then killed.
  async reap() {
    const mark = `KS_WEB_OWNER=${this.work}\0`;
    const left = () => fs.readdirSync('/proc').filter((pid) => /^\d+$/.test(pid) && Number(pid) !== process.pid).filter((pid) => {
      try { return fs.readFileSync(`/proc/${pid}/environ`, 'latin1').includes(mark); } catch (e) { return false; }
    });
    for (let waited = 0; waited < 5000 && left().length; waited += 100) await new Promise((resolve) => setTimeout(resolve, 100));
    for (const pid of left()) { try { process.kill(Number(pid), 'SIGKILL'); } catch (e) { /* gone */ } }
  }

  async cleanup() {
    // A browser that does not close within 10 s is killed.
    for (const browser of this.browsers.splice(0)) {
      const closed = await Promise.race([browser.close().then(() => true, () => false),
                                         new Promise((resolve) => setTimeout(resolve, 10000, false))]);
      if (!closed && browser.process && browser.process()) browser.process().kill('SIGKILL');
    }
    for (const [child, exited] of this.daemons.splice(0).reverse()) {
      child.kill('SIGTERM');
      const late = setTimeout(() => child.kill('SIGKILL'), 3000);
      await exited;
      clearTimeout(late);
    }
    await this.reap();
    for (const server of this.servers.splice(0)) await new Promise((resolve) => server.close(resolve));
    if (process.env.KS_WEB_KEEP) console.log(`scratch directory kept: ${this.work}`);
    else fs.rmSync(this.work, { recursive: true, force: true });
  }
}

// The first script of every page the driver serves: console lines, and exceptions and
// rejections that no code caught, into window.ksConsole.
function recorder() {
  const lines = (window.ksConsole = []);
  const text = (value) => {
    if (value instanceof Error) return value.stack || String(value);
    if (value && typeof value === 'object') { try { return JSON.stringify(value); } catch (e) { /* as a string */ } }
    return String(value);
  };
  for (const level of ['log', 'info', 'warn', 'error']) {
    const original = console[level].bind(console);
    console[level] = (...args) => { lines.push(args.map(text).join(' ')); original(...args); };
  }
  // Heard first, judged after the page's own handlers: one that the page handles (its default
  // prevented) reaches no console.
  const heard = (kind, event, what) => setTimeout(() => lines.push(`${event.defaultPrevented ? 'handled' : 'uncaught'} ${kind}: ${what}`));
  window.addEventListener('error', (event) => {
    if (event instanceof ErrorEvent) heard('exception', event, event.error !== undefined ? text(event.error) : event.message);
  }, true);
  window.addEventListener('unhandledrejection', (event) => heard('rejection', event, text(event.reason)), true);
}

// A free TCP port on 127.0.0.1 (for a server that takes its port as an argument).
function freePort() {
  return new Promise((resolve, reject) => {
    const probe = net.createServer().once('error', reject).listen(0, '127.0.0.1', () => {
      const { port } = probe.address();
      probe.close(() => resolve(port));
    });
  });
}

const KEYS = { Escape: '\uE00C', Enter: '\uE007' };

// WebKitGTK's MiniBrowser through WebKitWebDriver: the little of classic WebDriver that the
// checks use, as the puppeteer calls they make. The session's one window is every page: a new
// page navigates it, closing one leaves it on about:blank.
class WebKit {
  static async launch(t, { width, height, env }) {
    const port = await freePort();
    const root = `http://127.0.0.1:${port}`;
    await t.daemon('WebKitWebDriver', WEBKIT_DRIVER, [`--port=${port}`, '--host=127.0.0.1'], env, async () => {
      for (;;) {
        try { if ((await fetch(`${root}/status`)).ok) return; } catch (e) { /* not yet listening */ }
        await new Promise((resolve) => setTimeout(resolve, 100));
      }
    });
    const session = await WebKit.send(`${root}/session`, 'POST', { capabilities: { alwaysMatch: {
      'webkitgtk:browserOptions': { binary: MINIBROWSER, args: ['--automation'] } } } });
    const browser = new WebKit(`${root}/session/${session.sessionId}`);
    await browser.send('/window/rect', 'POST', { width, height, x: 0, y: 0 }).catch(() => {});
    return browser;
  }

  static async send(url, method = 'GET', body = undefined) {
    const response = await fetch(url, { method, headers: { 'Content-Type': 'application/json' },
                                         body: body === undefined ? undefined : JSON.stringify(body) });
    const answer = await response.json();
    if (!response.ok) throw new Error(`WebDriver ${method} ${url}: ${answer.value.error}: ${answer.value.message}`);
    return answer.value;
  }

  constructor(url) { this.url = url; }
  send(route, method, body) { return WebKit.send(this.url + route, method, body); }
  async newPage() { return new WebKitPage(this); }
  async close() { await this.send('', 'DELETE'); }
}

class WebKitPage {
  constructor(browser) {
    this.browser = browser;
    this.keyboard = { press: (key) => browser.send('/actions', 'POST', { actions: [{ type: 'key', id: 'keys', actions: [
      { type: 'keyDown', value: KEYS[key] || key }, { type: 'keyUp', value: KEYS[key] || key }] }] }) };
  }

  goto(url) { return this.browser.send('/url', 'POST', { url }); }
  evaluate(fn, ...args) {
    return this.browser.send('/execute/sync', 'POST', { script: `return (${fn}).apply(null, arguments);`, args });
  }
  async $(selector) {
    const found = await this.browser.send('/elements', 'POST', { using: 'css selector', value: selector });
    return found.length ? Object.values(found[0])[0] : null;
  }
  async waitForSelector(selector, { timeout = 30000 } = {}) {
    for (const end = Date.now() + timeout; Date.now() < end; await new Promise((resolve) => setTimeout(resolve, 100))) {
      const element = await this.$(selector);
      if (element) return element;
    }
    throw new Error(`no ${selector} within ${timeout} ms`);
  }
  async click(selector) { await this.browser.send(`/element/${await this.waitForSelector(selector)}/click`, 'POST', {}); }
  async type(selector, text) { await this.browser.send(`/element/${await this.waitForSelector(selector)}/value`, 'POST', { text }); }
  screenshot() { return this.browser.send('/screenshot'); }
  close() { return this.goto('about:blank'); }
}

// Run in a page before its scripts (`open(..., { before: audioProbe })`): keeps the page's
// AudioContexts, taps whatever reaches their destinations with an analyser, notes the earliest
// context time a buffer was started at, and records at every paint (each time the page sets
// window.ks.musicMs) the position beside how much of the scheduled sound the device has played. ksProbe()
// says, for the latest context: its state, the context time the device plays now (its output
// timestamp, carried on in real time while it runs), the context time rendered, the first start, the peak level of the
// last 2048 frames that reached the speakers, and the page's musicMs and frames; ksProbe.paints()
// the recorded [musicMs, seconds of sound played] pairs.
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
    (context.ksBuffers || (context.ksBuffers = [])).push([at, this.buffer ? this.buffer.duration : 0]);
    return start.call(this, when, ...rest);
  };
  const latest = () => contexts[contexts.length - 1];
  const playing = (context) => {
    // WebKit's performanceTime runs on a clock of its own, ahead of performance.now(): where
    // it is not behind, the stamp's context time is the latest.
    const stamp = context.getOutputTimestamp();
    const now = stamp.contextTime + (context.state === 'running' ? Math.max(0, performance.now() - stamp.performanceTime) / 1000 : 0);
    return Math.min(now, context.currentTime);
  };
  // Seconds of buffered sound that the device has played by now.
  const played = (context) => {
    const now = playing(context);
    return (context.ksBuffers || []).reduce((sum, [at, seconds]) => sum + Math.min(Math.max(now - at, 0), seconds), 0);
  };
  const paints = [];
  let ks;
  Object.defineProperty(window, 'ks', { configurable: true, get: () => ks, set(value) {
    ks = value;
    let musicMs = value.musicMs;
    Object.defineProperty(value, 'musicMs', { enumerable: true, configurable: true, get: () => musicMs, set(ms) {
      musicMs = ms;
      // Only while the context runs: Firefox's content process hung now and then (3 runs of
      // 5) when the output's timestamp was read at paints while the context was still starting.
      const context = latest();
      if (context && context.state === 'running') paints.push([ms, played(context)]);
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
    return { state: context.state, contexts: contexts.length, playing: playing(context), rendered: context.currentTime,
             firstStart: context.ksFirstStart,
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
  body(t).then(() => t.quiet()).then(() => { console.log('PASS'); return end(0); }, (error) => {
    if (error instanceof Skip) { console.log(`SKIP: ${error.message}`); return end(77); }
    console.error(error instanceof Failure ? `FAIL: ${error.message}` : `FAIL: ${error.stack}`);
    return end(1);
  });
}

// Decimal limits with the same comparison as pictures.sh's `is`.
function within(value, low, high) { return Number(value) >= low && Number(value) <= high; }

module.exports = { check, within, audioProbe, SOURCE, SITE, BUILD };
