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
  }

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
