//# allFunctionsCalledOnLoad
// (That line has V8 compile every function below as the script loads, off the page's
// thread, instead of each on its first call.)
// Fits the demonstration's canvas (its client area, 663 x 510 pixels) to the page:
// shown whole, centred, scaled as a unit with its aspect kept. Where the scale in
// device pixels is a whole number of 2 or more, or comes within a fifth of one, it
// snaps to it and pixels are drawn crisp; otherwise the picture is smoothed.
'use strict';

var Module = {
  print: function(text) { console.log(text); },
  printErr: function(text) { console.error(text); },
  // Instantiates the module that index.html has been compiling since the page began.
  instantiateWasm: function(imports, receive) {
    var compiled = window.morvaneCompiled || Promise.reject(new Error('this browser has no WebAssembly'));
    compiled.then(function(module) {
      return WebAssembly.instantiate(module, imports).then(function(instance) { receive(instance, module); });
    }).catch(function(error) {
      Module.printErr('morvane: cannot load the demonstration: ' + error);
      var message = document.createElement('p');
      message.setAttribute('role', 'alert');
      message.className = 'morvane-message';
      message.textContent = 'The demonstration cannot load: ' + error.message;
      var canvas = document.getElementById('morvane-canvas');
      if (canvas) canvas.hidden = true;
      document.body.appendChild(message);
    });
    return {};
  },
};

(function() {
  var snapShare = 0.8;

  // Device pixels per client pixel, and whether that is a whole number.
  function deviceScale(viewWidth, viewHeight, ratio, width, height) {
    var fit = Math.min(viewWidth * ratio / width, viewHeight * ratio / height);
    var whole = Math.floor(fit);
    if (whole >= 1 && whole / fit >= snapShare) return {scale: whole, whole: true};
    return {scale: fit, whole: false};
  }

  function fit() {
    var canvas = document.getElementById('morvane-canvas');
    if (!canvas) return;
    var root = document.documentElement;
    var viewWidth = root.clientWidth, viewHeight = root.clientHeight;
    // The line of sentences, once shown, takes the bottom of the page beside the window.
    var said = document.getElementById('morvane-said'), bar = document.getElementById('morvane-bar');
    if (said && !said.hidden && bar && !bar.hidden) viewHeight = Math.max(0, viewHeight - bar.offsetHeight);
    var ratio = window.devicePixelRatio || 1;
    var s = deviceScale(viewWidth, viewHeight, ratio, canvas.width, canvas.height);
    var deviceWidth = Math.round(canvas.width * s.scale), deviceHeight = Math.round(canvas.height * s.scale);
    // Whole device pixels for size and place, so that a whole scale stays exact.
    var left = Math.floor((viewWidth * ratio - deviceWidth) / 2), top = Math.floor((viewHeight * ratio - deviceHeight) / 2);
    canvas.style.width = deviceWidth / ratio + 'px';
    canvas.style.height = deviceHeight / ratio + 'px';
    canvas.style.left = Math.max(0, left) / ratio + 'px';
    canvas.style.top = Math.max(0, top) / ratio + 'px';
    canvas.classList.toggle('crisp', s.whole && s.scale >= 2);
    canvas.dataset.scale = String(s.scale);
    // The elements that stand for the window's objects lie over their pictures.
    var objects = document.getElementById('morvane-objects');
    if (objects) ['left', 'top', 'width', 'height'].forEach(function(p) { objects.style[p] = canvas.style[p]; });
  }
  window.morvaneFit = fit;

  // A change of device pixels per CSS pixel (zoom, another screen) need not resize the page.
  function watchRatio() {
    if (!window.matchMedia) return;
    var query = window.matchMedia('(resolution: ' + (window.devicePixelRatio || 1) + 'dppx)');
    if (!query.addEventListener) return;
    query.addEventListener('change', function() {
      fit();
      watchRatio();
    }, {once: true});
  }

  window.addEventListener('resize', fit);
  watchRatio();
  if (window.visualViewport) window.visualViewport.addEventListener('resize', fit);
  document.addEventListener('DOMContentLoaded', fit);
  if (document.readyState !== 'loading') fit();
})();

// The window's objects as elements of the page, which the browser platform keeps in step
// with the runtime's accessible tree: one element per object over its picture (a button
// for Reset, a named image or pressable element for a picture, a paragraph for the
// title), in the window's Tab order, then the page's own "Show descriptions" switch and
// its choice of language. The
// elements take the real focus and a screen reader names them; the canvas draws the
// focus. Each sentence goes to the live region and, with the switch on, to a line of text.
(function() {
  var ROLE_TEXT = 0, ROLE_PUSH_BUTTON = 1, ROLE_IMAGE = 2, ROLE_DRAGGABLE = 3;
  var STORE = 'morvane-show-descriptions';
  var items = [], descriptions = [], width = 1, height = 1, syncing = false, lostInside = false;
  function $(id) { return document.getElementById(id); }

  function remembered() {
    try { return localStorage.getItem(STORE) === '1'; } catch (e) { return false; }
  }
  function showDescriptions(on) {
    $('morvane-describe').setAttribute('aria-checked', String(on));
    $('morvane-said').hidden = !on;
    if (window.morvaneFit) window.morvaneFit();
  }

  function make(i, role) {
    var e;
    if (role === ROLE_TEXT) {
      e = document.createElement('p');
    } else if (role === ROLE_PUSH_BUTTON) {
      e = document.createElement('button');
      e.type = 'button';
    } else {
      e = document.createElement('div');
      e.setAttribute('role', role === ROLE_IMAGE ? 'img' : 'button');
    }
    var description = document.createElement('span');
    description.id = 'morvane-description-' + i;
    description.hidden = true;  // read only as the element's description
    $('morvane-help').after(description);
    e.setAttribute('aria-describedby', description.id);
    descriptions[i] = description;
    if (role !== ROLE_TEXT) {
      e.addEventListener('focus', function() { if (!syncing) Module['_morvane_browser_access_focus'](i); });
      // Leaving for the canvas or another object is no leaving; a hidden object loses the focus to its successor.
      e.addEventListener('blur', function(ev) {
        if (syncing || e.hidden || ev.relatedTarget === $('morvane-canvas') || items.indexOf(ev.relatedTarget) >= 0) return;
        Module['_morvane_browser_access_focus'](-1);
      });
      e.addEventListener('click', function(ev) {
        ev.preventDefault();
        Module['_morvane_browser_access_act'](i);
      });
    }
    $('morvane-objects').appendChild(e);
    return e;
  }

  window.morvaneAccess = {
    // The page's words: [title, name, description, instruction, switch's label, picker's label].
    begin: function(clientWidth, clientHeight, words) {
      width = clientWidth;
      height = clientHeight;
      if (words[0]) document.title = words[0];
      var objects = $('morvane-objects');
      objects.setAttribute('aria-label', words[1]);
      $('morvane-help').textContent = words[2];
      $('morvane-instruction').textContent = words[3];
      var switchLabel = words[4];
      if (words[5]) $('morvane-language').setAttribute('aria-label', words[5]);
      objects.hidden = false;
      var toggle = $('morvane-describe');
      toggle.textContent = switchLabel;
      toggle.setAttribute('aria-label', switchLabel);  // without the drawn mark before it
      toggle.onclick = function() {
        var on = toggle.getAttribute('aria-checked') !== 'true';
        try { localStorage.setItem(STORE, on ? '1' : '0'); } catch (e) {}
        showDescriptions(on);
      };
      $('morvane-bar').hidden = false;
      if (window.morvaneLanguage) window.morvaneLanguage.shown();
      showDescriptions(remembered());
    },
    node: function(i, role, name, description, hidden, focusable, pickedUp, x, y, w, h) {
      var e = items[i] || (items[i] = make(i, role));
      if (role === ROLE_TEXT) e.textContent = name;
      else e.setAttribute('aria-label', name);
      descriptions[i].textContent = description;
      if (hidden && document.activeElement === e) lostInside = true;
      syncing = true;
      e.hidden = hidden;
      syncing = false;
      if (role !== ROLE_TEXT) e.tabIndex = focusable ? 0 : -1;
      if (role === ROLE_DRAGGABLE) e.setAttribute('aria-pressed', String(pickedUp));
      e.style.left = (100 * x / width) + '%';
      e.style.top = (100 * y / height) + '%';
      e.style.width = (100 * w / width) + '%';
      e.style.height = (100 * h / height) + '%';
    },
    // The window's focus is on object i: the page's focus follows where it is on the
    // objects (or, at the start, nowhere yet).
    focus: function(i, first) {
      var active = document.activeElement;
      var inside = lostInside || items.indexOf(active) >= 0 || (first && (!active || active === document.body));
      lostInside = false;
      if (!inside || i < 0 || !items[i] || items[i] === active) return;
      syncing = true;
      items[i].focus({preventScroll: true});
      syncing = false;
    },
    say: function(text) {
      $('morvane-status').textContent = text;
      var said = $('morvane-said');
      said.textContent = text;
      // A sentence that takes more lines than the last makes more room.
      if (!said.hidden && window.morvaneFit) window.morvaneFit();
    },
    end: function() {
      $('morvane-objects').hidden = true;
      $('morvane-bar').hidden = true;
    },
  };
})();

// The page's language: the WebAssembly chooses among its languages from these,
// has the file of any but English fetched, then sets the page in it. A choice from the
// picker is kept and loads the page in it, the focus back on the picker.
(function() {
  var STORE = 'morvane-language', REFOCUS = 'morvane-language-focus';
  function picker() { return document.getElementById('morvane-language'); }
  function options() { return Array.prototype.slice.call(picker().options); }
  function stored(store, key) {
    try { return window[store].getItem(key); } catch (e) { return null; }
  }
  // A language file (web/make_languages.mjs), checked whole and of this language, as
  // [its project image, its words].
  function parts(buffer, tag) {
    var view = new DataView(buffer), bytes = new Uint8Array(buffer), at = 9 + bytes[8];
    if (String.fromCharCode.apply(null, bytes.subarray(0, 4)) !== 'MVLF' || view.getUint32(4, true) !== 1 ||
        new TextDecoder().decode(bytes.subarray(9, at)) !== tag) throw new Error('not a language file of ' + tag);
    var image = bytes.subarray(at + 4, at += 4 + view.getUint32(at, true));
    if (view.getUint32(at, true) !== bytes.length - at - 4) throw new Error('a broken language file');  // a length past the end throws too
    return [image, bytes.subarray(at + 4)];
  }
  // `refocus`: the focus comes back to the picker on the page in the new language.
  function choose(refocus) {
    var tag = picker().value, address = new URL(location.href);
    try {
      localStorage.setItem(STORE, tag);
      if (refocus) sessionStorage.setItem(REFOCUS, '1');
    } catch (e) {}
    if (address.searchParams.has('lang')) address.searchParams.set('lang', tag);
    location.replace(address.href);
  }

  // Read by index.html's head as the page began (the storage's first reading takes some
  // milliseconds), here where that is missing.
  var early = window.morvaneStored ||
    {language: stored('localStorage', STORE), refocus: stored('sessionStorage', REFOCUS)};
  var wanted = [new URLSearchParams(location.search).get('lang'), early.language]
    .concat(navigator.languages || [navigator.language]).filter(function(tag) { return tag && !/\s/.test(tag); });
  var refocus = early.refocus;

  window.morvaneLanguage = {
    wanted: function() { return wanted; },
    fetch: function(tag) {
      var file = options().filter(function(o) { return o.value === tag; })[0].getAttribute('data-file');
      window.morvaneLanguageFile = file;
      return fetch(file).then(function(response) {
        if (!response.ok) throw new Error(file + ': HTTP ' + response.status);
        return response.arrayBuffer();
      }).then(function(buffer) { return parts(buffer, tag); });
    },
    show: function(tag, rtl) {
      var root = document.documentElement, p = picker();
      root.lang = tag.replace('_', '-');
      root.dir = rtl ? 'rtl' : 'ltr';
      p.value = tag;
      // On a closed picker the arrow keys and letters step from language to language,
      // each step a change: a step becomes the choice on Enter, or when the focus leaves
      // the picker, so that the keyboard passes over languages without loading each one.
      // A choice from the open list (mouse, touch, or Space and Enter) loads at once.
      var stepping = false;
      p.onkeydown = function(event) {
        if (event.key === 'Enter') {
          if (p.value !== tag) choose(true);
          return;
        }
        stepping = !event.altKey && (/^(Arrow|Home$|End$|Page)/.test(event.key) || (event.key.length === 1 && event.key !== ' '));
      };
      p.onpointerdown = function() { stepping = false; };
      p.onchange = function() { if (!stepping) choose(true); };
      p.onblur = function() { if (p.value !== tag) choose(false); };
    },
    // The picker shows (with the window's elements, after the first frame): the focus
    // comes back to it after a choice made with the keyboard.
    shown: function() {
      if (!refocus) return;
      refocus = null;
      try { sessionStorage.removeItem(REFOCUS); } catch (e) {}
      picker().focus();
    },
  };
})();

// Offline use: the service worker keeps this build's files once the page has loaded and
// shown its first frame (so that fetching them all does not hold the start up). A newer
// build that it finds installs alongside; once this page has all it needs, the newer
// build takes over for the next load.
(function() {
  if (!('serviceWorker' in navigator) || !window.isSecureContext) return;

  function whenDrawn(then) {
    if (typeof window.morvaneFirstFrame === 'number') return then();
    window.addEventListener('morvane-first-frame', function() { then(); }, {once: true});
  }

  function hurry(worker) {
    if (!worker) return;
    function ask() {
      if (worker.state === 'installed') whenDrawn(function() { worker.postMessage('take-over'); });
    }
    ask();
    worker.addEventListener('statechange', ask);
  }

  // On a page loaded before any worker, the language file came without one: fetched
  // again once the first worker takes the page, it is kept with the build.
  var uncontrolled = !navigator.serviceWorker.controller;
  navigator.serviceWorker.addEventListener('controllerchange', function() {
    if (uncontrolled && window.morvaneLanguageFile) {
      fetch(window.morvaneLanguageFile).then(function(r) { return r.arrayBuffer(); }).catch(function() {});
    }
    uncontrolled = false;
  });

  window.addEventListener('load', function() { whenDrawn(register); });
  function register() {
    navigator.serviceWorker.register('service-worker.js').then(function(registration) {
      hurry(registration.waiting);
      hurry(registration.installing);
      registration.addEventListener('updatefound', function() { hurry(registration.installing); });
    }, function(error) {
      console.warn('morvane: no offline copy: ' + error);
    });
  }
})();
