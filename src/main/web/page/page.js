// The page around the show: the set-up panel built from the show's table of options, the data
// files fetched while it shows (into the module's file system at the start), the start (sound
// and full screen need the viewer's gesture), the run, its message boxes, the control that
// ends it without a keyboard, and the end with "Play again". The next live run is made ahead of
// the viewer's start, so that Start only lets it go.
// State for the viewer and for checks: document.body.dataset.state and window.ks; a virtual-time
// run leaves window.ksCaptured (chosen frames) or window.ksBench (the benchmark's report).
'use strict';

(function () {
  const $ = (selector) => document.querySelector(selector);
  const params = new URLSearchParams(location.search);
  const ks = (window.ks = { state: 'start', frames: 0, musicMs: 0, exitStatus: null, audio: 'none', prepared: false });

  // Keys that the page handles itself rather than passing them to the show.
  const PAGE_KEYS = new Set(['fullscreen', 'loop']);
  // The URL's virtual-time runs (chosen frames, the benchmark): no sound, no loop.
  const virtualRun = params.has('at') || truthy(params.get('bench') || '0');

  let options = null;       // the table of options, from the module
  let nextModule = null;    // a promise of the module instance for the next run
  let compiled = null;      // the compiled WebAssembly, shared by every instance
  let dataFiles = null;     // a promise of [{name, bytes}] (fetched once)
  let run = null;           // the run in progress or the last one

  function setState(state) {
    ks.state = state;
    document.body.dataset.state = state;
  }

  function status(text) {
    $('#ks-status').textContent = text;
  }

  // --- The module ------------------------------------------------------------------------

  function compileOnce() {
    if (!compiled) {
      const response = fetch('kelvo-strand.wasm');
      compiled = (WebAssembly.compileStreaming
        ? WebAssembly.compileStreaming(response).catch(() => response.then((r) => r.arrayBuffer()).then(WebAssembly.compile))
        : response.then((r) => r.arrayBuffer()).then(WebAssembly.compile));
    }
    return compiled;
  }

  // A module instance; its hooks report to the run that takes it (config.ksRun).
  function createModule() {
    if (typeof createKelvoStrand !== 'function') return Promise.reject(new Error('kelvo-strand.js did not load'));
    const config = {
      noInitialRun: true,
      canvas: $('#ks-canvas'),
      ksRun: null,
      instantiateWasm(imports, receive) {
        compileOnce()
          .then((module) => WebAssembly.instantiate(module, imports).then((instance) => receive(instance, module)))
          .catch((error) => console.error('kelvo-strand: the WebAssembly does not start: ' + error));
        return {};
      },
      print(line) {
        console.log(line);
        if (config.ksRun) config.ksRun.stdout.push(line);
      },
      printErr(line) {
        console.error(line);
        if (config.ksRun) config.ksRun.stderr.push(line);
      },
      // The show's end: main's own report (ksExit), or the runtime's exit (an exit from
      // inside the show, or a main that never waited).
      ksExit(code) {
        if (config.ksRun) finish(config.ksRun, code);
      },
      onExit(code) {
        if (config.ksRun) finish(config.ksRun, code);
      },
      onAbort(what) {
        if (config.ksRun) finish(config.ksRun, 1, 'The show stopped: ' + what);
      },
      ksPainted(frames, musicMs, playing) {
        const state = config.ksRun;
        if (!state || state !== run || state.over) return;
        ks.frames = frames;
        if (musicMs >= 0) ks.musicMs = musicMs;
        state.stderrAtPaint = state.stderr.length;
        if (playing && ks.state === 'loading') {
          setState('playing');
          $('#ks-loading').textContent = '';
          if (touchScreen) showControl(true);
        }
      },
      ksMessageBox(caption, text) {
        const state = config.ksRun;
        if (state) {
          // MessageBoxA wrote the box to standard error too: those lines are not the failure's.
          const lines = (caption + ': ' + text).split('\n');
          for (const line of lines) state.boxLines.add(line);
        }
        // A run made ahead of its start shows its box once the viewer has started it.
        const shown = state && state.go ? state.go : Promise.resolve();
        return shown.then(() => (state && state.dropped ? undefined : showBox(caption, text)));
      },
    };
    return createKelvoStrand(config);
  }

  function newRunState(choices) {
    return { choices, stdout: [], stderr: [], stderrAtPaint: 0, boxLines: new Set(), over: false,
             module: null, audioContext: null };
  }

  // The table of options that the command line reads too: [{flag, argument (null for a switch),
  // key, label (null: a URL parameter only), help, inverted (the choice is the flag's absence),
  // min, max}].
  function readOptions(module) {
    try {
      if (typeof module._ksOptionsJson === 'function') return JSON.parse(module.UTF8ToString(module._ksOptionsJson()));
    } catch (error) {
      console.error('kelvo-strand: the table of options does not read: ' + error);
    }
    console.error('kelvo-strand: the module offers no table of options; only the defaults apply');
    return [];
  }

  // --- The set-up panel ------------------------------------------------------------------

  function truthy(text) {
    return text === '' || /^(1|true|yes|on)$/i.test(text);
  }

  function buildChoices() {
    const box = $('#ks-choices');
    box.querySelectorAll('.choice, .note').forEach((element) => element.remove());
    for (const option of options) {
      if (!option.key || !option.label) continue;  // command line only, or URL only
      const row = document.createElement('div');
      row.className = 'choice';
      const input = document.createElement('input');
      input.id = 'ks-choice-' + option.key;
      input.name = option.key;
      const label = document.createElement('label');
      label.htmlFor = input.id;
      label.textContent = option.label;
      if (option.help) {
        const help = document.createElement('small');
        help.textContent = option.help;
        label.append(help);
      }
      const preset = params.get(option.key);
      if (option.argument) {
        input.type = 'number';
        input.step = 'any';
        input.placeholder = '0';
        if (option.min !== undefined) input.min = option.min;
        if (option.max !== undefined) input.max = option.max;
        if (preset !== null) input.value = preset;
        row.append(label, input);
      } else {
        input.type = 'checkbox';
        // An inverted choice is the flag's absence: on unless the URL says otherwise.
        input.checked = preset !== null ? truthy(preset) : !!option.inverted;
        row.append(input, label);
      }
      box.append(row);
    }
  }

  // The viewer's choices by page key: the form where it has the key, else the URL.
  function readChoices() {
    const choices = {};
    for (const option of options || []) {
      if (!option.key) continue;
      const input = document.getElementById('ks-choice-' + option.key);
      const preset = params.get(option.key);
      if (input) choices[option.key] = input.type === 'checkbox' ? input.checked : input.value.trim();
      else if (preset !== null) choices[option.key] = option.argument ? preset : truthy(preset);
    }
    for (const key of PAGE_KEYS)
      if (!(key in choices) && params.has(key)) choices[key] = truthy(params.get(key));
    return choices;
  }

  // The command line for the show: every chosen option that the show itself reads.
  function argvFor(choices) {
    const argv = [];
    for (const option of options || []) {
      if (!option.key || !option.flag || PAGE_KEYS.has(option.key)) continue;
      const value = choices[option.key];
      if (option.argument) {
        if (value !== undefined && value !== '') argv.push(option.flag, String(value));
      } else if (option.inverted ? !value : value) {
        argv.push(option.flag);
      }
    }
    return argv;
  }

  // --- Data ------------------------------------------------------------------------------

  // The show's files, fetched once per page while the start screen shows: those that the
  // site's data/files.txt names (one a line) into data/, and the font's faces into fonts/ (the
  // show's lettering would fetch its face at start-up otherwise). The progress is counted in
  // bytes (window.ks.data: bytes received, total of the sizes announced so far, ready).
  const FONT_FACES = ['Regular', 'Bold', 'Italic', 'BoldItalic'].map((face) => 'fonts/LiberationSerif-' + face + '.ttf');
  const progress = (ks.data = { bytes: 0, total: 0, files: 0, ready: false });

  function megabytes(bytes) {
    return (bytes / 1e6).toFixed(1) + ' MB';
  }

  function showProgress() {
    const text = progress.ready ? 'Ready: ' + megabytes(progress.bytes) + ' fetched'
      : 'Fetching the show: ' + megabytes(progress.bytes) + ' of ' + megabytes(progress.total);
    $('#ks-progress').textContent = text;
    if (ks.state === 'loading' && !progress.ready) $('#ks-loading').textContent = text;
  }

  // One file's bytes, counted as they arrive; null (and a console line) where it cannot be had:
  // a missing data file is left missing, and the show says so in its own way.
  async function fetchFile(file) {
    try {
      const response = await fetch(file);
      if (!response.ok) throw new Error(response.status + ' ' + response.statusText);
      const announced = Number(response.headers.get('Content-Length')) || 0;
      progress.total += announced;
      const parts = [];
      let length = 0;
      const reader = response.body.getReader();
      for (;;) {
        const { done, value } = await reader.read();
        if (done) break;
        parts.push(value);
        length += value.length;
        progress.bytes += value.length;
        showProgress();
      }
      progress.total += length - announced;
      const bytes = new Uint8Array(length);
      let at = 0;
      for (const part of parts) { bytes.set(part, at); at += part.length; }
      return { name: file, bytes };
    } catch (error) {
      console.error('kelvo-strand: ' + file + ' could not be fetched (' + error.message + ')');
      return null;
    } finally {
      progress.files += 1;
    }
  }

  function fetchData() {
    if (!dataFiles) {
      dataFiles = fetch('data/files.txt')
        .then((response) => {
          if (!response.ok) throw new Error('data/files.txt: ' + response.status + ' ' + response.statusText);
          return response.text();
        })
        .then((text) => {
          const names = text.split('\n').map((line) => line.trim()).filter((line) => line && !line.startsWith('#'));
          return Promise.all(names.map((name) => 'data/' + name).concat(FONT_FACES).map(fetchFile));
        })
        .then((files) => {
          progress.ready = true;
          progress.readyAt = performance.now();
          showProgress();
          return files.filter(Boolean);
        });
      dataFiles.catch((error) => {
        dataFiles = null;  // a failed list may be tried again, at the start
        $('#ks-progress').textContent = 'The show\'s data could not be fetched yet (' + error.message + ')';
      });
    }
    return dataFiles;
  }

  // The files into the module's file system, under their paths on the site (data/, fonts/).
  function putData(module, files) {
    const fs = module.FS;
    for (const file of files) {
      const slash = file.name.lastIndexOf('/');
      const [folder, name] = [file.name.slice(0, slash), file.name.slice(slash + 1)];
      if (fs) {
        try { fs.mkdir('/' + folder); } catch (error) { /* already there */ }
        fs.writeFile('/' + file.name, file.bytes);
      } else {
        module.FS_createPath('/', folder, true, true);
        module.FS_createDataFile('/' + folder, name, file.bytes, true, false, false);
      }
    }
  }

  // --- Running ---------------------------------------------------------------------------

  // A live run is made ahead of the viewer's start where it can be: its module, started with
  // the panel's choices while the start screen shows, loads everything and waits before its
  // first frame with its music held (the backend's ksHoldStart), so that Start only lets it
  // go. Choices changed meanwhile make it again. A sharp picture takes the canvas's size at the
  // start, and a virtual-time run plays no sound, so those are made at their start.
  let prepared = null;      // the run made ahead of the start, until it starts or is dropped

  function preparable(choices) {
    return !virtualRun && !choices.sharp;
  }

  function sameRun(choices, other) {
    return argvFor(choices).join('\n') === argvFor(other).join('\n');
  }

  // The module started on the run's choices, its files in place; held, it waits for ksGo.
  function launch(state, module, files, held) {
    module.ksRun = state;
    state.module = module;
    module.ksAudioContext = state.audioContext;
    module.ksHoldStart = held;
    if (held) {
      module.ksHeld = () => {
        if (state.dropped) return module.ksGo(false);
        if (prepared === state) ks.prepared = 'held';
        state.onReady();
      };
    }
    putData(module, files);
    const argv = argvFor(state.choices);
    console.log('kelvo-strand: ' + (held ? 'making the run ahead of its start' : 'starting') + ' with ' +
                (argv.length ? argv.join(' ') : 'no options'));
    module.callMain(argv);
  }

  async function prepare() {
    if (prepared || (run && !run.over) || !options) return;
    const choices = readChoices();
    if (!preparable(choices)) return;
    const state = newRunState(choices);
    state.waiting = true;
    state.ready = new Promise((resolve) => { state.onReady = resolve; });  // held, or over
    state.go = new Promise((resolve) => { state.onGo = resolve; });        // started, or dropped
    state.audioContext = takeAudioContext();
    prepared = state;
    ks.prepared = 'loading';
    try {
      const [module, files] = await Promise.all([nextModule, fetchData()]);
      if (!state.dropped) launch(state, module, files, true);
    } catch (error) {
      if (prepared === state) [prepared, ks.prepared] = [null, false];  // a start makes its run afresh and says why
      state.failed = error;
      state.onReady();
    }
  }

  // The run made ahead ends without a frame; its sound's context serves the next one.
  function dropPrepared() {
    const state = prepared;
    prepared = null;
    ks.prepared = false;
    if (!state) return;
    state.dropped = true;
    state.waiting = false;
    if (state.audioContext && !preparedAudio) preparedAudio = state.audioContext;
    else if (state.audioContext) state.audioContext.close().catch(() => {});
    state.audioContext = null;
    state.onGo();
    if (state.module && state.module.ksGo) state.module.ksGo(false);
    freshInstance();
  }

  async function start(gesture, choices) {
    if (run && !run.over) return;
    if (!options) {
      // Started before the module was ready (autostart, or a quick click): the URL's choices.
      status('Waiting for the show to load…');
    }
    if (prepared && !(choices && preparable(choices) && sameRun(choices, prepared.choices))) dropPrepared();
    const state = prepared || newRunState(choices || null);
    if (choices) state.choices = choices;  // the same command line; the page's own keys as now
    prepared = null;
    ks.prepared = false;
    state.waiting = false;
    run = state;
    ks.frames = 0;
    ks.musicMs = 0;
    ks.exitStatus = null;
    ks.audio = 'none';
    delete window.ksCaptured;
    delete window.ksBench;
    $('#ks-ended').hidden = true;
    setState('loading');
    $('#ks-loading').textContent = 'Loading…';
    showProgress();

    // Inside the gesture: the sound's context running and the full screen. Virtual-time runs
    // play no sound.
    if (!virtualRun && state.audioContext === null) state.audioContext = takeAudioContext();
    if (state.audioContext && state.audioContext.state !== 'running') state.audioContext.resume().catch(() => {});
    const fullscreen = (choices || readChoices()).fullscreen ? enterFullscreen(gesture) : Promise.resolve();

    try {
      if (state.go) {
        await fullscreen;
        state.onGo();  // a box it holds shows now
        await state.ready;
        if (state.failed) throw state.failed;
        if (state.early) return finish(state, ...state.early);
        if (state.over) return;
        status('');
        $('#ks-loading').textContent = '';  // the show's own loading picture from here on
        console.log('kelvo-strand: starting with ' + (argvFor(state.choices).join(' ') || 'no options'));
        state.module.ksGo(true);
        return;
      }
      const module = await nextModule;
      if (!options) {
        options = readOptions(module);
        buildChoices();
      }
      if (!state.choices) state.choices = readChoices();
      const [files] = await Promise.all([fetchData(), fullscreen]);
      status('');
      $('#ks-loading').textContent = '';
      launch(state, module, files, false);
    } catch (error) {
      console.error('kelvo-strand: ' + error.message);
      finish(state, 1, 'The show could not start: ' + error.message);
    }
  }

  // The sound's context for the next run is made while the start screen shows (making one
  // takes a browser up to a few hundred milliseconds) and resumed in the viewer's gesture.
  // False where the browser gives none (said on the console): the show plays silently.
  let preparedAudio = null;

  function prepareAudio() {
    if (virtualRun || preparedAudio) return;
    try { preparedAudio = new AudioContext(); } catch (error) { preparedAudio = error; }
  }

  function takeAudioContext() {
    if (virtualRun) return false;
    prepareAudio();
    const context = preparedAudio;
    preparedAudio = null;
    if (!(context instanceof Error)) return context;
    console.error('kelvo-strand: no Web Audio in this browser, the show plays silently (' + context.message + ')');
    return false;
  }

  // The show's exit (its status), or a failure of the page (a reason of its own). A run made
  // ahead says its end once the viewer has started it.
  function finish(state, code, reason) {
    if (state.over) return;
    if (state.waiting) {
      state.early = [code, reason];
      state.onReady();
      return;
    }
    state.over = true;
    if (state.onReady) state.onReady();
    const module = state.module;
    if (module && module.ksDetach) module.ksDetach();
    if (state !== run) return;
    ks.exitStatus = code;
    if (module && module.ksCapturedFrames) window.ksCaptured = module.ksCapturedFrames;
    if (state.choices && state.choices.at && !window.ksCaptured) window.ksCaptured = [];
    if (state.choices && state.choices.bench) window.ksBench = state.stdout.join('\n');
    // The sound output keeps ks.audio ("running" while it plays); whatever it left, it ends here.
    if (module && module.ksAudioStop) module.ksAudioStop();
    if (ks.audio === 'running') ks.audio = 'stopped';
    if (state.audioContext) state.audioContext.close().catch(() => {});
    if ($('#ks-box').open) $('#ks-box').close();
    showControl(false);
    freshInstance();  // the next run's module, on a fresh canvas
    // Looping plays the whole show again from its beginning, unless a person ended it.
    const endedByUser = module && module.ksEndedByUser;
    if (state.choices && state.choices.loop && !virtualRun && code === 0 && !endedByUser) {
      const again = Object.assign({}, state.choices);
      delete again.from;
      start(false, again);
      return;
    }
    if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
    $('#ks-ended-text').textContent = code === 0 ? 'The show has ended.' : reason || failureLine(state, code);
    $('#ks-ended').hidden = false;
    setState('ended');
    $('#ks-again').focus();
    prepare();  // Play again
  }

  // What the show said on standard error since its last frame (its message boxes aside).
  function failureLine(state, code) {
    const lines = state.stderr.slice(state.stderrAtPaint).filter((line) => line && !state.boxLines.has(line));
    return lines.length ? lines.slice(-2).join('\n') : 'The show stopped (status ' + code + ').';
  }

  // A new module instance on a fresh canvas: every value of the show at its start again.
  function freshInstance() {
    const old = $('#ks-canvas');
    const canvas = document.createElement('canvas');
    canvas.id = 'ks-canvas';
    const context = old.getContext('webgl2');
    const lose = context && context.getExtension('WEBGL_lose_context');
    if (lose) lose.loseContext();
    old.replaceWith(canvas);
    nextModule = createModule();
  }

  // --- Full screen, boxes ------------------------------------------------------------------

  function enterFullscreen(gesture) {
    const stage = $('#ks-stage');
    if (!gesture || !stage.requestFullscreen) return Promise.resolve();
    if (document.fullscreenElement === stage) return Promise.resolve();
    return stage.requestFullscreen({ navigationUI: 'hide' })
      .then(() => {
        // Where the browser allows it, Escape reaches the show instead of leaving full screen.
        if (navigator.keyboard && navigator.keyboard.lock) navigator.keyboard.lock(['Escape']).catch(() => {});
        return new Promise((resolve) => requestAnimationFrame(() => resolve()));
      })
      .catch((error) => console.error('kelvo-strand: full screen was refused (' + error.message + '); playing in the page'));
  }

  // Leaving full screen while the show plays (the browser's own Escape) ends it as Escape does.
  document.addEventListener('fullscreenchange', () => {
    if (!document.fullscreenElement && run && !run.over && run.module && run.module.ksPressEscape && ks.state === 'playing')
      run.module.ksPressEscape();
  });

  // --- Ending without a keyboard ------------------------------------------------------------

  // A touch screen has no Escape: a tap on the picture shows, for a few seconds, a control that
  // ends the show as Escape does (leaving full screen does too). On a touch screen it shows by
  // itself at the first frame, with its hint.
  const CONTROL_SECONDS = 4;
  const touchScreen = navigator.maxTouchPoints > 0 || matchMedia('(pointer: coarse)').matches;
  document.body.dataset.touch = touchScreen ? 'yes' : 'no';
  let controlTimer = 0;

  function showControl(show) {
    clearTimeout(controlTimer);
    $('#ks-controls').hidden = !show;
    if (show) controlTimer = setTimeout(() => showControl(false), CONTROL_SECONDS * 1000);
  }

  $('#ks-stage').addEventListener('pointerdown', (event) => {
    if (ks.state === 'playing' && !event.target.closest('#ks-controls')) showControl(true);
  });
  $('#ks-end').addEventListener('click', () => {
    if (ks.state === 'playing' && run && !run.over && run.module && run.module.ksPressEscape) run.module.ksPressEscape();
  });

  function showBox(caption, text) {
    const box = $('#ks-box');
    box.querySelector('.ks-box-caption').textContent = caption;
    box.querySelector('.ks-box-text').textContent = text;
    return new Promise((resolve) => {
      box.addEventListener('close', () => resolve(), { once: true });
      box.showModal();
      $('#ks-box-ok').focus();
    });
  }

  // --- Wiring ------------------------------------------------------------------------------

  // The module's exit unwinds its stack with an ExitStatus, which surfaces from the callback
  // that woke it (a promise or an event): not an error.
  window.addEventListener('unhandledrejection', (event) => {
    if (event.reason && event.reason.name === 'ExitStatus') event.preventDefault();
  });
  window.addEventListener('error', (event) => {
    if (event.error && event.error.name === 'ExitStatus') event.preventDefault();
  });

  $('#ks-form').addEventListener('submit', (event) => {
    event.preventDefault();
    start(true, options ? readChoices() : null);
  });
  // Enter starts from anywhere on the start screen (a checkbox does not submit a form by itself).
  document.addEventListener('keydown', (event) => {
    if (event.key !== 'Enter' || ks.state !== 'start' || event.repeat) return;
    event.preventDefault();
    $('#ks-form').requestSubmit();
  });

  // Play again: the choices as the panel holds them (a loop's later passes dropped the start time).
  $('#ks-again').addEventListener('click', () => {
    if (run && !run.over) return;
    start(true, options ? readChoices() : null);
  });
  // Choices changed on the start screen: the run made ahead is made again with them.
  $('#ks-choices').addEventListener('change', () => {
    if (prepared && !(preparable(readChoices()) && sameRun(readChoices(), prepared.choices))) dropPrepared();
    prepare();
  });

  nextModule = createModule();
  fetchData().catch(() => {});  // while the start screen shows
  prepareAudio();
  nextModule
    .then((module) => {
      if (!options) {
        options = readOptions(module);
        buildChoices();
      }
      prepare();
    })
    .catch((error) => {
      console.error('kelvo-strand: ' + error.message);
      status('The show does not load here: ' + error.message);
    });
  if (!document.createElement('canvas').getContext('webgl2'))
    status('This browser offers the page no WebGL 2: the show cannot draw here.');
  $('#ks-start').focus();
  if (truthy(params.get('autostart') || '0')) start(false, null);
})();
