// A published Glosspin scene: the geometry, the markers with their labels
// and note icons, the notes played as the library plays them, and the
// marker sequencer's tour. With "?selftest" it plays the tour and clicks
// every marker and note, every time cut to 0.2 s, and reports what it did
// in the element "glosspin-selftest".
(function () {
  'use strict';
  var PAGE = window.GLOSSPIN_PAGE, THREE = window.THREE;
  var selftest = new URLSearchParams(location.search).has('selftest');
  var ICON_GAP = 4, FLIGHT = 2, NEAR = 1e-4;
  var report = { markers: PAGE.markers.length, notes: 0, played: [], errors: [] };
  PAGE.markers.forEach(function (m) { report.notes += m.notes.length; });

  function fail(e) { report.errors.push(String((e && e.message) || e)); }
  window.addEventListener('error', function (e) { fail(e.message || e.error || e); });
  window.addEventListener('unhandledrejection', function (e) { fail(e.reason); });
  // Seconds as the page waits them: all 0.2 in a self-test.
  function seconds(s) { return selftest ? 0.2 : s; }
  function el(tag, cls, text) {
    var e = document.createElement(tag);
    if (cls) e.className = cls;
    if (text !== undefined) e.textContent = text;
    return e;
  }

  // The view.
  var host = document.getElementById('glosspin-view');
  var renderer = new THREE.WebGLRenderer({ antialias: true, preserveDrawingBuffer: true });
  renderer.setPixelRatio(window.devicePixelRatio || 1);
  renderer.setSize(window.innerWidth, window.innerHeight);
  host.appendChild(renderer.domElement);
  var overlay = el('div', 'glosspin-notes');
  host.appendChild(overlay);
  var scene = new THREE.Scene();
  scene.background = new THREE.Color(0, 0, 0);
  var perspective = !PAGE.camera || PAGE.camera.perspective;
  var camera = perspective ? new THREE.PerspectiveCamera(45, 1, 0.01, 1000)
    : new THREE.OrthographicCamera(-1, 1, 1, -1, 0.01, 1000);
  var headlight = new THREE.DirectionalLight(0xffffff, 1);
  // The viewers' headlight shines along the view: its target rides with
  // the camera too.
  headlight.position.set(0, 0, 1);
  camera.add(headlight);
  camera.add(headlight.target);
  scene.add(camera);
  var view = { height: Math.PI / 4, focalDistance: 5, radius: 1 };
  var controls = new THREE.OrbitControls(camera, renderer.domElement);
  var markerObjects = [];

  // The toolkit's height: a perspective camera's height angle, an
  // orthographic one's height; a window taller than wide widens it.
  function applyHeight() {
    var w = window.innerWidth, h = window.innerHeight, aspect = w / h;
    if (perspective) {
      var half = Math.tan(view.height / 2) / Math.min(aspect, 1);
      camera.fov = 2 * Math.atan(half) * 180 / Math.PI;
      camera.aspect = aspect;
    } else {
      var vh = view.height / Math.min(aspect, 1) / 2;
      camera.left = -vh * aspect; camera.right = vh * aspect;
      camera.top = vh; camera.bottom = -vh;
    }
    camera.near = Math.max(view.radius * 1e-3, view.focalDistance - 4 * view.radius, 1e-4);
    camera.far = view.focalDistance + 4 * view.radius;
    camera.updateProjectionMatrix();
  }
  function direction() { return new THREE.Vector3(0, 0, -1).applyQuaternion(camera.quaternion); }
  function setView(v) {
    camera.position.fromArray(v.position);
    camera.quaternion.fromArray(v.orientation);
    view.focalDistance = v.focalDistance;
    view.height = v.height;
    controls.target.copy(camera.position).addScaledVector(direction(), v.focalDistance);
    applyHeight();
  }
  function viewAll(box) {
    var sphere = box.getBoundingSphere(new THREE.Sphere());
    view.radius = Math.max(sphere.radius, 1e-3);
    var d = perspective ? view.radius / Math.sin(view.height / 2) : view.radius * 2;
    setView({ position: [sphere.center.x, sphere.center.y, sphere.center.z + d],
      orientation: [0, 0, 0, 1], focalDistance: d, height: perspective ? view.height : 2 * view.radius });
  }
  controls.addEventListener('change', function () {
    view.focalDistance = camera.position.distanceTo(controls.target);
    applyHeight();
  });

  // Materials lit as the toolkit lights them: Phong with a headlight.
  function toolkitMaterial(m) {
    if (m.map) m.map.encoding = THREE.LinearEncoding;
    if (!m.isMeshStandardMaterial) return m;
    var x = m.userData || {};
    var common = { color: m.color, map: m.map, vertexColors: m.vertexColors,
      side: THREE.DoubleSide, transparent: m.transparent, opacity: m.opacity };
    if (m.isMeshBasicMaterial) return new THREE.MeshBasicMaterial(common);
    common.specular = new THREE.Color().fromArray(x.specular || [0, 0, 0]);
    common.emissive = new THREE.Color().fromArray(x.emissive || [0, 0, 0]);
    common.shininess = Math.max((x.shininess === undefined ? 0.2 : x.shininess) * 128, 1);
    return new THREE.MeshPhongMaterial(common);
  }

  // Notes.
  function Note(list, def, index) {
    this.list = list; this.def = def; this.index = index; this.kind = def.kind;
    this.playing = false; this.onFinished = null; this.timer = 0; this.window = null;
    var icon = this.icon = el('img');
    icon.alt = def.kind;
    icon.title = def.kind + ' note';
    icon.width = def.iconWidth || 24; icon.height = def.iconHeight || 24;
    icon.src = PAGE.shared + 'icons/' + def.kind + '.png';
    var self = this;
    icon.addEventListener('click', function (e) { e.stopPropagation(); self.play(false); });
    icon.addEventListener('error', function () { fail('icon ' + icon.src + ' did not load'); });
  }
  Note.prototype.safeURL = function () {
    var u = this.def.url || '';
    try { return /^(https?|mailto):$/.test(new URL(u, location.href).protocol) ? u : null; }
    catch (e) { return null; }
  };
  // The player: a floating window of its own, or the camera's flight.
  Note.prototype.openWindow = function (title) {
    var self = this, w = el('div', 'glosspin-player'), head = el('header'), close = el('button', '', '\u00d7');
    head.appendChild(el('span', '', title));
    close.title = 'Close';
    close.addEventListener('click', function (e) { e.stopPropagation(); self.finish(); });
    head.appendChild(close);
    w.appendChild(head);
    var body = el('div', 'body');
    w.appendChild(body);
    var open = document.querySelectorAll('.glosspin-player').length;
    w.style.right = (16 + 24 * open) + 'px';
    w.style.top = (16 + 24 * open) + 'px';
    w.addEventListener('click', function (e) { e.stopPropagation(); });
    document.body.appendChild(w);
    this.window = w;
    return body;
  };
  Note.prototype.playMedia = function (tag, body) {
    var self = this, media = el(tag);
    media.src = this.def.src;
    media.controls = true;
    media.addEventListener('error', function () { fail(self.kind + ' ' + self.def.src + ' cannot be played'); });
    media.addEventListener('ended', function () { if (self.def.lifetimeType === 2) self.finish(); });
    body.appendChild(media);
    var started = media.play();
    if (started && started.catch) started.catch(function (e) {
      if (e && e.name === 'NotAllowedError') { media.muted = true; return media.play().catch(function () {}); }
      if (self.window) fail(e);
    });
  };
  Note.prototype.startPlayer = function (byClick) {
    var d = this.def, self = this, body;
    switch (this.kind) {
    case 'view': return startFlight(this);
    case 'text': body = this.openWindow('Text'); body.appendChild(el('pre', '', d.text)); break;
    case 'system':
      body = this.openWindow('Shell command (not run here)');
      body.appendChild(el('code', '', d.command));
      break;
    case 'url':
      body = this.openWindow('Web link');
      var url = this.safeURL();
      if (url) {
        var a = el('a', '', d.url);
        a.href = url; a.target = '_blank'; a.rel = 'noopener noreferrer';
        body.appendChild(a);
        if (byClick && !selftest) window.open(url, '_blank', 'noopener');
      } else {
        body.appendChild(el('code', '', d.url));
      }
      break;
    case 'image':
      body = this.openWindow('Image');
      var img = el('img');
      img.addEventListener('error', function () { fail('image ' + d.src + ' did not load'); });
      img.src = d.src;
      body.appendChild(img);
      break;
    case 'movie': this.playMedia('video', this.openWindow('Movie')); break;
    case 'sound': this.playMedia('audio', this.openWindow('Sound')); break;
    case 'scene':
      body = this.openWindow('Scene');
      var frame = el('iframe');
      frame.src = d.page + (selftest ? '?selftest' : '');
      body.appendChild(frame);
      break;
    }
    // A self-test closes every player itself.
    if (selftest) this.selfClose = setTimeout(function () { self.finish(); }, 200);
  };
  Note.prototype.play = function (auto) {
    if (this.playing) this.kill();
    this.playing = true;
    this.icon.src = PAGE.shared + 'icons/' + this.kind + '_active.png';
    report.played.push(this.kind);
    if (auto && this.def.lifetimeType === 1) {
      var self = this;
      this.timer = setTimeout(function () { self.finish(); }, seconds(this.def.lifetime) * 1000);
    }
    this.startPlayer(!auto);
  };
  // The player ended: the icon is normal again, and an automatic
  // playback that waited for it goes on.
  Note.prototype.finish = function () {
    if (!this.playing) return;
    this.kill();
    var done = this.onFinished;
    this.onFinished = null;
    if (done) done();
  };
  Note.prototype.kill = function () {
    this.playing = false;
    clearTimeout(this.timer);
    clearTimeout(this.selfClose);
    if (flight && flight.note === this) flight = null;
    if (this.window) { this.window.remove(); this.window = null; }
    this.icon.src = PAGE.shared + 'icons/' + this.kind + '.png';
  };

  // A view note's flight: the eye on an eased arc about the midpoint of
  // the two looked-at points, in two seconds.
  var flight = null;
  function targetHeight(v) {
    if (!perspective && v.perspective) return 2 * v.focalDistance * Math.tan(v.height / 2);
    if (perspective && !v.perspective) return 2 * Math.atan((v.height / 2) / v.focalDistance);
    return v.height;
  }
  function startFlight(note) {
    var v = note.def.view;
    flight = { note: note, start: performance.now(), duration: seconds(FLIGHT) * 1000,
      position: camera.position.clone(), quaternion: camera.quaternion.clone(),
      focalDistance: view.focalDistance, height: view.height };
    var q = new THREE.Quaternion().fromArray(v.orientation);
    if (camera.position.distanceTo(new THREE.Vector3().fromArray(v.position)) < NEAR &&
        Math.abs(camera.quaternion.dot(q)) > 1 - NEAR &&
        Math.abs(view.focalDistance - v.focalDistance) < NEAR &&
        Math.abs(view.height - targetHeight(v)) < NEAR) flight.duration = 0;
  }
  function axes(q) {
    var m = new THREE.Matrix4().makeRotationFromQuaternion(q), x = new THREE.Vector3(),
      y = new THREE.Vector3(), z = new THREE.Vector3();
    m.extractBasis(x, y, z);
    return { dir: z.clone().negate(), up: y };
  }
  function flyStep(now) {
    var f = flight, v = f.note.def.view;
    var t = f.duration > 0 ? Math.min((now - f.start) / f.duration, 1) : 1;
    if (1 - t < NEAR) t = 1;
    var s = 0.5 - 0.5 * Math.cos(t * Math.PI);
    var a0 = axes(f.quaternion), a1 = axes(new THREE.Quaternion().fromArray(v.orientation));
    var end = new THREE.Vector3().fromArray(v.position);
    var startFocus = f.position.clone().addScaledVector(a0.dir, f.focalDistance);
    var viewFocus = end.clone().addScaledVector(a1.dir, v.focalDistance);
    var pivot = startFocus.clone().lerp(viewFocus, 0.5);
    var focus = startFocus.clone().lerp(viewFocus, s);
    var distance = f.focalDistance + (v.focalDistance - f.focalDistance) * s;
    var a = f.position.clone().sub(pivot), b = end.clone().sub(pivot);
    var la = a.length(), lb = b.length();
    a.normalize(); b.normalize();
    var n = new THREE.Vector3().crossVectors(a, b);
    if (n.length() < NEAR) {
      var fallback = Math.abs(a.y) > 0.9999 ? new THREE.Vector3(0, 0, 1) : new THREE.Vector3(0, 1, 0);
      n.crossVectors(a, new THREE.Vector3().crossVectors(a, fallback));
    }
    n.normalize();
    var d = new THREE.Vector3().crossVectors(a, n);
    var phi = Math.atan2(b.dot(d), b.dot(a)) * s;
    var dir = a.clone().multiplyScalar(Math.cos(phi)).addScaledVector(d, Math.sin(phi));
    var eye = pivot.clone().addScaledVector(dir, la + (lb - la) * s);
    var z = eye.clone().sub(focus).normalize();
    var up = a0.up.clone().lerp(a1.up, s);
    var x = new THREE.Vector3().crossVectors(up, z).normalize();
    var y = new THREE.Vector3().crossVectors(z, x).normalize();
    camera.position.copy(eye);
    camera.quaternion.setFromRotationMatrix(new THREE.Matrix4().makeBasis(x, y, z));
    view.focalDistance = distance;
    view.height = f.height + (targetHeight(v) - f.height) * s;
    controls.target.copy(focus);
    applyHeight();
    if (t === 1) {
      // The view is reached: the note's playback ends with it when it
      // lasts as long as its media (and in a self-test); otherwise its
      // lifetime or the user ends it.
      var note = f.note;
      flight = null;
      if (note.def.lifetimeType === 2 || selftest) note.finish();
      else note.icon.src = PAGE.shared + 'icons/' + note.kind + '.png';
    }
  }

  // A marker's notes: icons in rows above the anchor, the label under
  // them, played in turn by each note's options.
  function NoteList(marker, def) {
    this.marker = marker; this.def = def; this.visible = false;
    this.current = null; this.currentIndex = 0; this.lastAutoIndex = -1;
    this.finishCallback = null; this.timer = 0;
    this.box = el('div', 'glosspin-notes');
    this.box.style.display = 'none';
    var self = this;
    this.notes = def.notes.map(function (n, i) {
      var note = new Note(self, n, i);
      self.box.appendChild(note.icon);
      return note;
    });
    this.label = el('span', 'glosspin-label', def.label);
    this.label.style.fontSize = def.labelSize + 'px';
    this.label.style.lineHeight = def.labelSize + 'px';
    if (def.label) this.box.appendChild(this.label);
    overlay.appendChild(this.box);
    this.matrix = new THREE.Matrix4().fromArray(def.matrix);
    this.inverse = new THREE.Matrix4().getInverse(this.matrix);
  }
  NoteList.prototype.setVisible = function (on) {
    this.visible = on;
    this.box.style.display = on ? '' : 'none';
    if (on) this.layout();
  };
  NoteList.prototype.pixel = function (local) {
    var p = local.clone().applyMatrix4(this.matrix).project(camera);
    return { x: (p.x + 1) / 2 * window.innerWidth, y: (p.y + 1) / 2 * window.innerHeight };
  };
  NoteList.prototype.layout = function () {
    var d = this.def, W = window.innerWidth, H = window.innerHeight;
    var anchor = new THREE.Vector3().fromArray(d.anchor);
    var right = new THREE.Vector3(1, 0, 0).applyQuaternion(camera.quaternion).transformDirection(this.inverse);
    var toward = direction().negate().transformDirection(this.inverse);
    var base = anchor.clone().addScaledVector(toward, d.toward).addScaledVector(right, d.right);
    var maxW = 0, maxH = 0, n = this.notes.length;
    this.notes.forEach(function (note) {
      maxW = Math.max(maxW, note.icon.width); maxH = Math.max(maxH, note.icon.height);
    });
    var perRow = d.iconsPerRow > 0 ? d.iconsPerRow : n, rows = d.iconsPerRow > 0 ? Math.ceil(n / perRow) : 1;
    var labelH = d.label ? d.labelSize : 0;
    // Kept in the window: down from its top, and to the marker's other
    // side from its right edge when they fit there.
    var a = this.pixel(anchor), s = this.pixel(base);
    var columns = Math.min(Math.max(perRow, 1), n);
    var width = columns * (maxW + ICON_GAP) - ICON_GAP;
    if (labelH > 0) width = Math.max(width, 0.6 * labelH * d.label.length);
    var top = s.y + labelH + rows * (maxH + ICON_GAP) - ICON_GAP;
    if (top > H) s.y -= top - H;
    if (s.x + width > W) {
      var mirrored = 2 * a.x - s.x - width - ICON_GAP;
      if (mirrored >= 0) s.x = mirrored;
    }
    this.notes.forEach(function (note, i) {
      var row = perRow > 0 ? Math.floor(i / perRow) : 0, col = perRow > 0 ? i % perRow : i;
      var x = s.x + col * (maxW + ICON_GAP) + (maxW - note.icon.width) / 2;
      var y = s.y + labelH + (rows - 1 - row) * (maxH + ICON_GAP) + (maxH - note.icon.height) / 2;
      note.icon.style.left = Math.round(x) + 'px';
      note.icon.style.top = Math.round(H - y - note.icon.height) + 'px';
    });
    this.label.style.left = Math.round(s.x) + 'px';
    this.label.style.top = Math.round(H - s.y - 0.8 * labelH) + 'px';
  };
  NoteList.prototype.autoPlay = function () {
    if (!this.notes.length) { if (this.finishCallback) this.finishCallback(); return; }
    this.lastAutoIndex = -1;
    for (var i = 0; i < this.notes.length; i++) if (this.notes[i].def.auto) this.lastAutoIndex = i;
    this.currentIndex = 0;
    this.autoPlayNext();
  };
  NoteList.prototype.autoPlayNext = function () {
    var self = this;
    for (var i = this.currentIndex; i < this.notes.length; i++) {
      var note = this.notes[i];
      if (!note.def.auto) continue;
      var next = note.def.startNext;
      if (next === 1) note.onFinished = function () { self.startNextNote(); };
      this.current = note;
      this.currentIndex = i;
      note.play(true);
      if (next === 1) return;
      if (next === 2) {
        this.timer = setTimeout(function () { self.startNextNote(); }, seconds(note.def.delay) * 1000);
        return;
      }
    }
  };
  NoteList.prototype.startNextNote = function () {
    if (!this.current) return;
    if (this.currentIndex < this.lastAutoIndex) {
      this.currentIndex++;
      this.autoPlayNext();
    } else if (this.finishCallback) {
      this.finishCallback();
    }
  };
  NoteList.prototype.stop = function () {
    clearTimeout(this.timer);
    this.current = null;
    this.notes.forEach(function (note) { note.onFinished = null; if (note.playing) note.kill(); });
  };

  var lists = PAGE.markers.map(function (m, i) { return new NoteList(i, m); });

  // The tour, as the marker sequencer plays it.
  var tour = { order: PAGE.tour, current: -1, lastPlayed: -1, playAll: false, onEnd: null };
  function listAt(i) { return lists[tour.order[i]]; }
  function hideNotesAt(i) { if (i !== -1) listAt(i).setVisible(false); }
  function pick(i) {
    hideNotesAt(tour.current);
    tour.current = i;
    listAt(i).setVisible(true);
    tour.lastPlayed = -1;
    showPlace();
  }
  function playNextMarker() {
    var n = tour.order.length, cur = tour.current, next;
    if (n < 1) return;
    if (cur !== -1) listAt(cur).stop();
    if (cur === -1) next = 0;
    else if (cur !== tour.lastPlayed) next = cur;
    else { hideNotesAt(cur); next = cur < n - 1 ? cur + 1 : (tour.playAll ? -1 : 0); }
    if (tour.playAll && cur !== -1) listAt(cur).finishCallback = null;
    if (next !== -1) {
      pick(next);
      var list = listAt(next);
      if (tour.playAll) list.finishCallback = function () { if (tour.playAll) playNextMarker(); };
      tour.lastPlayed = tour.current;
      list.autoPlay();
    } else {
      if (cur !== -1) listAt(cur).setVisible(false);
      tour.current = -1; tour.lastPlayed = -1; tour.playAll = false;
      showPlace();
      if (tour.onEnd) { var end = tour.onEnd; tour.onEnd = null; end(); }
    }
  }
  function stepTo(i) {
    if (tour.current !== -1) listAt(tour.current).stop();
    hideNotesAt(tour.current);
    pick(i);
  }
  var commands = {
    first: function () { stepTo(0); },
    previous: function () { var n = tour.order.length; stepTo(tour.current < 1 ? n - 1 : tour.current - 1); },
    play: function () { tour.playAll = false; playNextMarker(); },
    stop: function () { if (tour.current >= 0) listAt(tour.current).stop(); tour.lastPlayed = -1; },
    next: function () { var n = tour.order.length; stepTo(tour.current < n - 1 ? tour.current + 1 : 0); },
    playAll: function () { tour.playAll = true; playNextMarker(); }
  };
  var place = el('span');
  function showPlace() {
    var i = tour.current;
    place.textContent = i < 0 ? tour.order.length + ' markers'
      : (i + 1) + ' / ' + tour.order.length + (PAGE.markers[tour.order[i]].label ? ': ' + PAGE.markers[tour.order[i]].label : '');
  }
  if (tour.order.length) {
    var bar = el('div', 'glosspin-tour');
    [['first', '\u25ae\u25c0', 'First'], ['previous', '\u25c0', 'Previous'], ['play', '\u25b6', 'Play'],
      ['stop', '\u25a0', 'Stop'], ['next', '\u25b6\u2759', 'Next'], ['playAll', '\u25b6\u25b6', 'Play all']]
      .forEach(function (b) {
        var button = el('button', '', b[1]);
        button.title = b[2];
        button.dataset.command = b[0];
        button.addEventListener('click', function (e) {
          e.stopPropagation();
          if (tour.order.length) commands[b[0]]();
        });
        bar.appendChild(button);
      });
    bar.appendChild(place);
    bar.addEventListener('click', function (e) { e.stopPropagation(); });
    document.body.appendChild(bar);
    showPlace();
  }

  // Clicks: on a marker its notes show, elsewhere they hide.
  var raycaster = new THREE.Raycaster(), down = null;
  function markerAt(x, y) {
    var ndc = new THREE.Vector2(x / window.innerWidth * 2 - 1, 1 - y / window.innerHeight * 2);
    raycaster.setFromCamera(ndc, camera);
    raycaster.params.Line = { threshold: view.radius * 0.01 };
    raycaster.params.Points = { threshold: view.radius * 0.01 };
    var hits = raycaster.intersectObjects(scene.children, true);
    for (var h = 0; h < hits.length; h++) {
      for (var o = hits[h].object; o; o = o.parent)
        if (o.userData.marker !== undefined) return o.userData.marker;
      return -1;  // the nearest object is not a marker
    }
    return -1;
  }
  function clickAt(x, y) {
    var m = markerAt(x, y);
    if (m < 0) {
      lists.forEach(function (l, i) {
        if (!l.visible) return;
        l.setVisible(false);
        if (tour.order[tour.current] === i) { tour.current = -1; tour.lastPlayed = -1; showPlace(); }
      });
      return -1;
    }
    var inTour = tour.order.indexOf(m);
    if (inTour >= 0) pick(inTour);
    else lists[m].setVisible(true);
    return m;
  }
  renderer.domElement.addEventListener('pointerdown', function (e) { down = { x: e.clientX, y: e.clientY }; });
  renderer.domElement.addEventListener('click', function (e) {
    if (down && Math.abs(e.clientX - down.x) + Math.abs(e.clientY - down.y) < 5) clickAt(e.clientX, e.clientY);
  });

  // Drawing. A headless browser may never give animation frames: a
  // self-test draws on a timer.
  var nextFrame = selftest ? function (f) { setTimeout(function () { f(performance.now()); }, 100); }
    : function (f) { requestAnimationFrame(f); };
  function draw(now) {
    if (flight) flyStep(now);
    renderer.render(scene, camera);
    lists.forEach(function (l) { if (l.visible) l.layout(); });
  }
  function frame(now) {
    draw(now);
    nextFrame(frame);
  }
  window.addEventListener('resize', function () {
    renderer.setSize(window.innerWidth, window.innerHeight);
    applyHeight();
  });

  // The self-test: the whole tour, every marker and every note clicked.
  function wait(ms) { return new Promise(function (r) { setTimeout(r, ms); }); }
  function screenPoint(object) {
    var box = new THREE.Box3().setFromObject(object);
    if (box.isEmpty()) return null;
    var c = box.getCenter(new THREE.Vector3()).project(camera);
    return { x: (c.x + 1) / 2 * window.innerWidth, y: (1 - c.y) / 2 * window.innerHeight };
  }
  function runSelftest() {
    var out = document.getElementById('glosspin-selftest');
    var done = new Promise(function (resolve) {
      if (!tour.order.length) return resolve();
      tour.onEnd = resolve;
      commands.playAll();
    });
    return done.then(function () {
      var chain = Promise.resolve();
      markerObjects.forEach(function (object, i) {
        chain = chain.then(function () {
          var p = screenPoint(object);
          if (p && clickAt(p.x, p.y) !== i) fail('a click on marker ' + i + ' did not reach it');
          lists[i].setVisible(true);
          var c2 = Promise.resolve();
          lists[i].notes.forEach(function (note) {
            c2 = c2.then(function () { note.icon.click(); return wait(300); });
          });
          return c2.then(function () {
            clickAt(-1000, -1000);
            if (lists[i].visible) fail('a click beside marker ' + i + ' did not hide its notes');
          });
        });
      });
      return chain;
    }).catch(fail).then(function () {
      out.textContent = JSON.stringify(report);
      out.hidden = false;
    });
  }

  // Loading: the geometry is in the page, nothing is fetched.
  function bytesOf(b64) {
    var s = atob(b64), bytes = new Uint8Array(s.length);
    for (var i = 0; i < s.length; i++) bytes[i] = s.charCodeAt(i);
    return bytes.buffer;
  }
  new THREE.GLTFLoader().parse(bytesOf(window.GLOSSPIN_GLB), '', function (gltf) {
    var root = gltf.scene;
    root.traverse(function (o) {
      if (o.material) o.material = toolkitMaterial(o.material);
      var m = /^glosspin-marker-(\d+)$/.exec(o.name);
      if (m) { o.userData.marker = +m[1]; markerObjects[+m[1]] = o; }
    });
    scene.add(root);
    var box = new THREE.Box3().setFromObject(root);
    if (box.isEmpty()) box.set(new THREE.Vector3(-1, -1, -1), new THREE.Vector3(1, 1, 1));
    view.radius = Math.max(box.getBoundingSphere(new THREE.Sphere()).radius, 1e-3);
    if (PAGE.camera) setView(PAGE.camera); else viewAll(box);
    draw(performance.now());
    nextFrame(frame);
    if (selftest) setTimeout(runSelftest, 0);
    // "?marker=N" opens with marker N's notes shown: a link to one marker.
    var shown = parseInt(new URLSearchParams(location.search).get('marker'), 10);
    if (lists[shown]) {
      var inTour = tour.order.indexOf(shown);
      if (inTour >= 0) pick(inTour); else lists[shown].setVisible(true);
      draw(performance.now());
    }
  }, function (e) {
    fail(e);
    if (selftest) runSelftest();
  });
})();
