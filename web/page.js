// The page over window.spanwright: construct a puzzle with the verdict after every change,
// play one with hints, make one to order, share one. Classic script, no build step, so
// that the page opens from disk as well as from any static host.
(function () {
  'use strict';

  var MAX_SIDE = 30, CELL = 40;
  var SW = window.spanwright;
  var $ = function (id) { return document.getElementById(id); };

  var S = {
    w: 7, h: 7, grid: [], mode: 'construct',
    undos: [], redos: [],            // construct: snapshots of {w, h, grid}
    bridges: {}, empty: {},       // play: line key -> 1|2, line key -> true
    playUndo: [], playRedo: [],          // play: snapshots of {bridges, empty}
    cursor: [0, 0], pending: null, drag: null,
    check: null, checkSeq: 0, checkMs: null, hint: null, hintMs: null,
    share: null, lower: false, markMode: false
  };
  window.spanwrightPage = S;  // for the browser tests and for curious visitors

  // ---- the board as data -------------------------------------------------------------
  function blank(w, h) { var g = []; for (var i = 0; i < w * h; i++) g.push(0); return g; }
  function at(r, c) { return S.grid[r * S.w + c]; }
  function inside(r, c) { return r >= 0 && c >= 0 && r < S.h && c < S.w; }

  function problemLine() {
    var rows = [];
    for (var r = 0; r < S.h; r++) {
      var row = '';
      for (var c = 0; c < S.w; c++) row += at(r, c) ? String(at(r, c)) : '.';
      rows.push(row);
    }
    return '0/' + S.h + '/' + S.w + '/' + rows.join('/') + '/';
  }

  // Reads a problem line as the programs do: "grade/height/width/" then the cells, where
  // only "." and "1" to "8" count. Throws an Error that says what is wrong.
  function parseLine(text) {
    var m = /^\s*(\d+)\/(\d+)\/(\d+)\/(.*)$/.exec(text);
    if (!m) throw new Error('"' + shorten(text) + '" is not a problem line, game ID or puzz.link link');
    var h = +m[2], w = +m[3];
    if (w < 3 || h < 3 || w > MAX_SIDE || h > MAX_SIDE)
      throw new Error('this board is ' + w + ' x ' + h + '; the page takes boards from 3 x 3 to ' +
                      MAX_SIDE + ' x ' + MAX_SIDE);
    var cells = m[4].replace(/[^.1-8]/g, '');
    if (cells.length < w * h)
      throw new Error('the problem line ends after ' + cells.length + ' of its ' + w * h + ' cells');
    var grid = [];
    for (var i = 0; i < w * h; i++) grid.push(cells[i] === '.' ? 0 : +cells[i]);
    return {w: w, h: h, grid: grid};
  }
  function shorten(t) { t = String(t); return t.length > 60 ? t.slice(0, 57) + '...' : t; }

  // A line between two islands, (r1,c1) before (r2,c2) in reading order.
  function key(r1, c1, r2, c2) {
    return (r1 < r2 || (r1 === r2 && c1 < c2)) ? [r1, c1, r2, c2].join(',') : [r2, c2, r1, c1].join(',');
  }
  function unkey(k) { return k.split(',').map(Number); }

  // The island next to (r,c) in direction (dr,dc), or null. Bridges run through water, so
  // an island right beside (r,c) blocks that way.
  function neighbour(r, c, dr, dc) {
    for (var y = r + dr, x = c + dc; inside(y, x); y += dr, x += dc)
      if (at(y, x)) return y === r + dr && x === c + dc ? null : [y, x];
    return null;
  }
  // Whether two lines cross (one across, one down, meeting strictly inside both).
  function crossing(a, b) {
    if (a[0] === a[2] && b[1] === b[3])
      return b[0] < a[0] && a[0] < b[2] && a[1] < b[1] && b[1] < a[3];
    if (a[1] === a[3] && b[0] === b[2]) return crossing(b, a);
    return false;
  }
  function degree(r, c) {
    var d = 0;
    for (var k in S.bridges) {
      var l = unkey(k);
      if ((l[0] === r && l[1] === c) || (l[2] === r && l[3] === c)) d += S.bridges[k];
    }
    return d;
  }
  function islands() {
    var list = [];
    for (var r = 0; r < S.h; r++) for (var c = 0; c < S.w; c++) if (at(r, c)) list.push([r, c]);
    return list;
  }
  function solvedNow() {
    var list = islands();
    if (!list.length || !list.every(function (p) { return degree(p[0], p[1]) === at(p[0], p[1]); })) return false;
    var seen = {}, todo = [list[0].join()];
    seen[todo[0]] = true;
    while (todo.length) {
      var p = todo.pop();
      for (var k in S.bridges) {
        var l = unkey(k), a = l[0] + ',' + l[1], b = l[2] + ',' + l[3];
        var o = a === p ? b : b === p ? a : null;
        if (o && !seen[o]) { seen[o] = true; todo.push(o); }
      }
    }
    return Object.keys(seen).length === list.length;
  }

  // ---- messages ----------------------------------------------------------------------
  function say(text, info) {
    var m = $('message');
    m.textContent = text; m.hidden = !text; m.className = info ? 'info' : '';
  }
  function fail(what) { return function (e) { say(what + ': ' + (e && e.message ? e.message : e)); }; }

  // ---- construct ---------------------------------------------------------------------
  function partners(r, c) {
    var sym = $('symmetry').value, out = [[r, c]];
    if (sym === 'mirror') out.push([r, S.w - 1 - c]);
    if (sym === 'rotate') out.push([S.h - 1 - r, S.w - 1 - c]);
    return out;
  }
  function snapshot() { return {w: S.w, h: S.h, grid: S.grid.slice()}; }
  function edit(r, c, value) {
    if (!inside(r, c)) return;
    var v = Math.max(0, Math.min(8, value(at(r, c))));
    if (v === at(r, c)) return;
    S.undos.push(snapshot()); S.redos = [];
    partners(r, c).forEach(function (p) { S.grid[p[0] * S.w + p[1]] = v; });
    puzzleChanged();
  }
  function raise(r, c) { edit(r, c, function (n) { return n + 1; }); }
  function lower(r, c) { edit(r, c, function (n) { return n - 1; }); }
  function restore(from, to) {
    if (!from.length) return;
    to.push(snapshot());
    var s = from.pop();
    S.w = s.w; S.h = s.h; S.grid = s.grid;
    puzzleChanged();
  }
  function newGrid(w, h) {
    if (!(w >= 3 && h >= 3 && w <= MAX_SIDE && h <= MAX_SIDE)) {
      say('A grid is from 3 x 3 to ' + MAX_SIDE + ' x ' + MAX_SIDE + '; ' + w + ' x ' + h + ' is not.');
      return;
    }
    S.undos.push(snapshot()); S.redos = [];
    S.w = w; S.h = h; S.grid = blank(w, h); S.cursor = [0, 0];
    say('');
    puzzleChanged();
  }

  // Every change of the puzzle: a new verdict, new share texts, a fresh game.
  function puzzleChanged() {
    $('new-w').value = S.w; $('new-h').value = S.h;
    S.bridges = {}; S.empty = {}; S.playUndo = []; S.playRedo = []; S.hint = null;
    S.check = null; S.share = null;
    render(); runCheck();
  }

  function runCheck() {
    var seq = ++S.checkSeq, line = problemLine(), t0 = performance.now();
    if (!islands().length) { renderStatus(); return; }
    SW.check(line, {timeLimit: 5}).then(function (res) {
      if (seq !== S.checkSeq) return;
      S.check = res; S.checkMs = performance.now() - t0;
      render();
      return SW.convert(line).then(function (sh) { if (seq === S.checkSeq) { S.share = sh; renderShare(); } });
    }).catch(function (e) { if (seq === S.checkSeq) fail('Check')(e); });
  }

  // ---- play --------------------------------------------------------------------------
  function psnap() { return {bridges: Object.assign({}, S.bridges), empty: Object.assign({}, S.empty)}; }
  function lay(a, b, mark) {
    var k = key(a[0], a[1], b[0], b[1]), l = unkey(k);
    if (!mark && !S.bridges[k]) {
      for (var o in S.bridges) if (crossing(l, unkey(o))) {
        say('That bridge would cross another one.'); return;
      }
    }
    S.playUndo.push(psnap()); S.playRedo = [];
    if (mark) {
      if (S.empty[k]) delete S.empty[k]; else { S.empty[k] = true; delete S.bridges[k]; }
    } else {
      var n = ((S.bridges[k] || 0) + 1) % 3;
      if (n) S.bridges[k] = n; else delete S.bridges[k];
      delete S.empty[k];
    }
    say(''); S.hint = null; positionChanged();
  }
  function layToward(r, c, dr, dc, mark) {
    if (!inside(r, c) || !at(r, c)) { say('Put the cursor on an island first.'); return; }
    var o = neighbour(r, c, dr, dc);
    if (!o) { say('No island that way.'); return; }
    lay([r, c], o, mark);
  }
  function prestore(from, to) {
    if (!from.length) return;
    to.push(psnap());
    var s = from.pop();
    S.bridges = s.bridges; S.empty = s.empty; S.hint = null;
    positionChanged();
  }
  function positionChanged() { render(); writeAddress(); }

  function position() {
    var p = {bridges: [], empty: []};
    for (var k in S.bridges) p.bridges.push(unkey(k).concat([S.bridges[k]]));
    for (var e in S.empty) p.empty.push(unkey(e));
    return p;
  }
  function takeHint() {
    var t0 = performance.now();
    SW.hint(problemLine(), position(), {timeLimit: 5}).then(function (res) {
      S.hintMs = performance.now() - t0;
      S.hint = res;
      render();
    }).catch(fail('Hint'));
  }
  function applyHint() {
    if (!S.hint || !S.hint.steps || !S.hint.steps.length) return;
    S.playUndo.push(psnap()); S.playRedo = [];
    S.hint.steps[0].sets.forEach(function (s) {
      // Each line into the step's range: "at least one" lays one, "empty" marks the line.
      var k = key(s[0], s[1], s[2], s[3]), n = Math.min(Math.max(S.bridges[k] || 0, s[4]), s[5]);
      if (n) { S.bridges[k] = n; delete S.empty[k]; } else if (!s[5]) { delete S.bridges[k]; S.empty[k] = true; }
    });
    S.hint = null; positionChanged();
  }

  // ---- the address: the puzzle, the mode and the moves made ---------------------------
  function enc(t) { return encodeURIComponent(t).replace(/%2F/g, '/').replace(/%3A/g, ':'); }
  function writeAddress() {
    var h = '#' + S.mode + '=' + enc(problemLine());
    if (S.mode === 'play') {
      var moves = [];
      for (var k in S.bridges) moves.push(k.replace(/,/g, '.') + '.' + S.bridges[k]);
      for (var e in S.empty) moves.push(e.replace(/,/g, '.') + '.x');
      if (moves.length) h += '&m=' + moves.join('_');
    }
    if (location.hash !== h) history.replaceState(null, '', h);
    $('share-page').value = location.href;
  }
  // Opens a puzzle in any form the module reads; moves, when given, as "r1.c1.r2.c2.n"
  // (n 1, 2 or x for a line marked empty) joined by "_".
  function openPuzzle(text, mode, moves) {
    text = String(text || '').trim();
    if (!text) { say('There is no puzzle to open.'); return Promise.resolve(false); }
    var asLine = /^\d+\/\d+\/\d+\//.test(text) ? Promise.resolve({text: text}) : SW.convert(text, 'line');
    return asLine.then(function (res) {
      var b = parseLine(res.text);
      S.undos.push(snapshot()); S.redos = [];
      S.w = b.w; S.h = b.h; S.grid = b.grid; S.cursor = [0, 0];
      say('');
      puzzleChanged();
      setMode(mode);
      if (moves) readMoves(moves);
      return true;
    }).catch(function (e) {
      say('Cannot open "' + shorten(text) + '": ' + (e && e.message ? e.message : e));
      return false;
    });
  }
  function readMoves(moves) {
    var bad = 0;
    moves.split('_').forEach(function (m) {
      var p = m.split('.'), l = p.slice(0, 4).map(Number), n = p[4];
      var ok = p.length === 5 && l.every(function (v) { return v >= 0; }) && inside(l[0], l[1]) &&
               inside(l[2], l[3]) && at(l[0], l[1]) && at(l[2], l[3]) && (n === '1' || n === '2' || n === 'x');
      if (ok) {
        var dr = Math.sign(l[2] - l[0]), dc = Math.sign(l[3] - l[1]);
        var o = (dr === 0) !== (dc === 0) ? neighbour(l[0], l[1], dr, dc) : null;
        ok = o && o[0] === l[2] && o[1] === l[3];
      }
      if (!ok) { bad++; return; }
      var k = key(l[0], l[1], l[2], l[3]);
      if (n === 'x') S.empty[k] = true; else S.bridges[k] = +n;
    });
    if (bad === 1) say('1 of the moves in the address is not a line of this puzzle and was left out.');
    else if (bad) say(bad + ' of the moves in the address are not lines of this puzzle and were left out.');
    positionChanged();
  }
  function readAddress(hash) {
    var h = (hash === undefined ? location.hash : hash).replace(/^#/, '');
    if (!h) return false;
    var parts = {};
    h.split('&').forEach(function (kv) {
      var i = kv.indexOf('=');
      if (i > 0) parts[kv.slice(0, i)] = kv.slice(i + 1);
    });
    var mode = parts.play !== undefined ? 'play' : 'construct';
    var raw = parts.play !== undefined ? parts.play : parts.construct;
    if (raw === undefined) { say('The address holds no puzzle: it should end in #play=... or #construct=...'); return false; }
    var text;
    try { text = decodeURIComponent(raw); } catch (e) { text = raw; }
    openPuzzle(text, mode, parts.m);
    return true;
  }

  // ---- modes -------------------------------------------------------------------------
  function setMode(mode) {
    S.mode = mode; S.pending = null; S.hint = null;
    document.body.className = 'mode-' + mode;
    $('mode-construct').setAttribute('aria-pressed', String(mode === 'construct'));
    $('mode-play').setAttribute('aria-pressed', String(mode === 'play'));
    $('help').textContent = mode === 'construct'
      ? 'Click a cell to place an island or raise its number; right-click, Lower or the minus key lowers it. ' +
        'Keys: arrows move, 1-8 set, 0 or Delete removes, Space raises.'
      : 'Drag from an island to a neighbour: once for a bridge, twice for two, a third time to remove. ' +
        'Shift-drag or Mark empty marks a line as empty. Keys: arrows move, Enter then an arrow lays a bridge, ' +
        'X then an arrow marks, H for a hint.';
    render(); writeAddress();
  }

  // ---- drawing -----------------------------------------------------------------------
  function cx(c) { return c * CELL + CELL / 2; }
  function bridgeSvg(l, n, cls) {
    var x1 = cx(l[1]), y1 = cx(l[0]), x2 = cx(l[3]), y2 = cx(l[2]), r = CELL * 0.36;
    if (l[0] === l[2]) { x1 += r; x2 -= r; } else { y1 += r; y2 -= r; }
    var off = n === 2 ? [-4, 4] : [0], out = '';
    off.forEach(function (o) {
      var dx = l[0] === l[2] ? 0 : o, dy = l[0] === l[2] ? o : 0;
      out += '<line class="' + cls + '" x1="' + (x1 + dx) + '" y1="' + (y1 + dy) + '" x2="' + (x2 + dx) +
             '" y2="' + (y2 + dy) + '"/>';
    });
    return out;
  }
  function lineSvg(l, cls) {
    return '<line class="' + cls + '" data-line="' + l.slice(0, 4).join(',') + '" x1="' + cx(l[1]) + '" y1="' +
           cx(l[0]) + '" x2="' + cx(l[3]) + '" y2="' + cx(l[2]) + '"/>';
  }
  // The board as SVG text. `opts.bridges` draws those bridges alone (export); otherwise
  // the mode's own layers are drawn.
  function boardSvg(opts) {
    opts = opts || {};
    var W = S.w * CELL, H = S.h * CELL, o = [], chk = S.check, play = S.mode === 'play';
    var attrs = opts.standalone
      ? ' xmlns="http://www.w3.org/2000/svg" width="' + (W + 8) + '" height="' + (H + 8) + '"'
      : ' role="img" aria-label="' + S.w + ' by ' + S.h + ' board" style="width: min(100%, calc((100vh - 17em) * ' +
        ((W + 8) / (H + 8)).toFixed(4) + '))"';
    o.push('<svg' + attrs + ' viewBox="-4 -4 ' + (W + 8) + ' ' + (H + 8) + '">');
    if (opts.standalone)
      o.push('<style>.bridge{stroke:#222;stroke-width:2.5}.island circle{fill:#fff;stroke:#222;stroke-width:2}' +
             'text{font:bold 20px sans-serif;text-anchor:middle;dominant-baseline:central}</style>');
    o.push('<rect class="water" x="-4" y="-4" width="' + (W + 8) + '" height="' + (H + 8) + '" fill="#fff"/>');
    if (!play && !opts.standalone) {
      for (var x = 0; x <= S.w; x++) o.push('<line class="grid" x1="' + x * CELL + '" y1="0" x2="' + x * CELL + '" y2="' + H + '"/>');
      for (var y = 0; y <= S.h; y++) o.push('<line class="grid" x1="0" y1="' + y * CELL + '" x2="' + W + '" y2="' + y * CELL + '"/>');
    } else {
      // Dots on open water only (a dot between the strokes of a double bridge reads as a
      // third); a saved picture also gets a frame, so that its empty edges still show.
      var under = {}, laid = opts.bridges || Object.keys(S.bridges).map(unkey);
      laid.forEach(function (bl) {
        for (var ur = bl[0]; ur <= bl[2]; ur++) for (var uc = bl[1]; uc <= bl[3]; uc++) under[ur + ',' + uc] = true;
      });
      for (var r = 0; r < S.h; r++) for (var c = 0; c < S.w; c++)
        if (!at(r, c) && !under[r + ',' + c]) o.push('<circle class="dot" cx="' + cx(c) + '" cy="' + cx(r) + '" r="1.5" fill="#aaa"/>');
      if (opts.standalone) o.push('<rect x="-2" y="-2" width="' + (W + 4) + '" height="' + (H + 4) + '" fill="none" stroke="#888"/>');
    }
    if (opts.bridges) {
      opts.bridges.forEach(function (b) { o.push(bridgeSvg(b, b[4], 'bridge')); });
    } else if (!play && chk) {
      (chk.furthest || []).forEach(function (f) {
        if (f[4] === f[5] && f[4] > 0) o.push(bridgeSvg(f, f[4], 'settled'));
      });
      (chk.differ || []).forEach(function (d) { o.push(lineSvg(d, 'differ')); });
    } else if (play) {
      var hl = {}, wrong = {};
      if (S.hint) {
        (S.hint.wrong || []).forEach(function (w) { wrong[key(w[0], w[1], w[2], w[3])] = true; });
        var st = S.hint.steps && S.hint.steps[0];
        if (st && !(S.hint.wrong || []).length) (st.sets || []).forEach(function (s) { hl[key(s[0], s[1], s[2], s[3])] = true; o.push(lineSvg(s, 'hint-line')); });
      }
      for (var k in wrong) o.push(lineSvg(unkey(k), 'wrong-line'));
      for (var e in S.empty) {
        var l = unkey(e), mx = (cx(l[1]) + cx(l[3])) / 2, my = (cx(l[0]) + cx(l[2])) / 2;
        o.push('<path class="mark" data-line="' + e + '" d="M' + (mx - 5) + ' ' + (my - 5) + 'l10 10m0 -10l-10 10"/>');
      }
      for (var b in S.bridges) o.push(bridgeSvg(unkey(b), S.bridges[b], 'bridge' + (wrong[b] ? ' wrong' : '')));
      if (S.drag && S.drag.to) o.push(lineSvg(S.drag.from.concat(S.drag.to), 'preview'));
    }
    var sug = !play && !opts.bridges && chk && chk.suggestion;
    var hintIsl = {};
    if (play && S.hint && S.hint.steps && S.hint.steps[0] && !(S.hint.wrong || []).length)
      (S.hint.steps[0].islands || []).forEach(function (p) { hintIsl[p.join()] = true; });
    for (var r2 = 0; r2 < S.h; r2++) for (var c2 = 0; c2 < S.w; c2++) {
      var n = at(r2, c2);
      if (!n) continue;
      var cls = 'island';
      if (play && !opts.bridges) {
        var d = degree(r2, c2);
        if (d === n) cls += ' done'; else if (d > n) cls += ' over';
        if (hintIsl[r2 + ',' + c2]) cls += ' hint';
      }
      if (sug && sug.cell[0] === r2 && sug.cell[1] === c2) cls += ' suggested';
      o.push('<g class="' + cls + '" data-r="' + r2 + '" data-c="' + c2 + '"><circle cx="' + cx(c2) + '" cy="' +
             cx(r2) + '" r="' + CELL * 0.36 + '"/><text x="' + cx(c2) + '" y="' + cx(r2) + '">' + n + '</text></g>');
    }
    if (sug && !at(sug.cell[0], sug.cell[1]))
      o.push('<g class="island suggested"><circle cx="' + cx(sug.cell[1]) + '" cy="' + cx(sug.cell[0]) + '" r="' +
             CELL * 0.36 + '"/><text x="' + cx(sug.cell[1]) + '" y="' + cx(sug.cell[0]) + '">' + sug.number + '</text></g>');
    if (!opts.standalone && document.activeElement === $('board'))
      o.push('<rect class="cursor' + (S.pending ? ' pending' : '') + '" x="' + (S.cursor[1] * CELL + 2) + '" y="' +
             (S.cursor[0] * CELL + 2) + '" width="' + (CELL - 4) + '" height="' + (CELL - 4) + '"/>');
    o.push('</svg>');
    return o.join('');
  }

  var VERDICTS = {unique: 'One solution', none: 'No solution', multiple: 'Several solutions',
                  unknown: 'Not settled within the time limit'};
  function show(id, text) { var e = $(id); e.textContent = text || ''; e.hidden = !text; }
  function cell(p) { return '(' + (p[0] + 1) + ',' + (p[1] + 1) + ')'; }

  function renderStatus() {
    var chk = S.check, play = S.mode === 'play', has = islands().length > 0;
    var v = !has ? 'No islands yet: click a cell to place one.' : chk ? VERDICTS[chk.verdict] || chk.verdict : 'Checking...';
    if (play && has) {
      var list = islands(), done = list.filter(function (p) { return degree(p[0], p[1]) === at(p[0], p[1]); }).length;
      v = done + ' of ' + list.length + ' islands finished';
      if (chk && chk.verdict !== 'unique') v += ' (this puzzle has ' + (VERDICTS[chk.verdict] || '').toLowerCase() + ')';
    }
    $('verdict').textContent = v;
    $('verdict').className = chk && !play ? chk.verdict : '';
    $('timing').textContent = play ? (S.hintMs != null ? 'hint in ' + S.hintMs.toFixed(1) + ' ms' : '')
                                   : (chk && S.checkMs != null ? 'checked in ' + S.checkMs.toFixed(1) + ' ms' : '');
    $('level').textContent = chk && chk.level ? 'Level ' + chk.level : '';
    $('score').textContent = chk && chk.score != null && chk.level ? ', score ' + chk.score : '';
    show('reason', !play && chk && chk.verdict === 'none' && chk.reason ? 'Why: ' + chk.reason + '.' : '');
    var sug = !play && chk && chk.suggestion;
    $('suggestion').hidden = !sug;
    if (sug)
      $('suggestion-text').textContent = 'Suggestion: ' + (sug.reason ? sug.reason + '.' :
        (sug.kind === 'add' ? 'add a ' + sug.number + ' at ' : 'make the island at ') + cell(sug.cell) +
        (sug.kind === 'add' ? '' : ' a ' + sug.number) + ' for one solution.');
    var fur = '';
    if (!play && chk && chk.verdict !== 'none' && chk.furthest && chk.furthest.length) {
      var settled = chk.furthest.filter(function (f) { return f[4] === f[5]; }).length;
      fur = settled === chk.furthest.length ? 'The steps of the ladder settle every line.'
          : 'The steps of the ladder settle ' + settled + ' of ' + chk.furthest.length + ' lines (grey) and stop there.';
    }
    if (!play && chk && chk.differ && chk.differ.length) fur += ' The ' + chk.differ.length + ' lines in orange differ between two solutions.';
    $('furthest').textContent = fur;
    var solved = play && solvedNow();
    $('solved').hidden = !solved;
    var ht = '';
    if (play && S.hint) {
      if (S.hint.wrong && S.hint.wrong.length)
        ht = 'Wrong: ' + S.hint.wrong.map(function (w) {
          var what = w.length > 4 ? (w[4] === 0 ? 'the empty mark' : w[4] === 2 ? 'the double bridge' : 'the bridge') : 'the line';
          return what + ' between ' + cell(w) + ' and ' + cell(w.slice(2));
        }).join('; ') + ' (in red) ' + (S.hint.wrong.length > 1 ? 'are' : 'is') + ' not in the solution.';
      else if (S.hint.solved) ht = 'Nothing left to do: the puzzle is solved.';
      else if (S.hint.steps && S.hint.steps.length) ht = S.hint.steps[0].reason;
      else ht = 'No step found.';
    }
    $('hint-text').innerHTML = '';
    if (ht) {
      $('hint-text').appendChild(document.createTextNode(ht + ' '));
      if (!(S.hint.wrong || []).length && S.hint.steps && S.hint.steps.length) {
        var b = document.createElement('button');
        b.type = 'button'; b.id = 'apply-hint'; b.textContent = 'Apply';
        b.onclick = applyHint;
        $('hint-text').appendChild(b);
      }
    }
    $('hint-text').hidden = !ht;
  }
  function renderShare() {
    var sh = S.share || {};
    $('share-id').value = sh.id || '';
    $('share-link').value = sh.link || '';
    $('share-line').value = sh.line || problemLine();
  }
  function render() {
    $('board').innerHTML = boardSvg();
    renderStatus();
  }

  // ---- pictures ----------------------------------------------------------------------
  function exportSvg() {
    var sol = [];
    if ($('share-solution').checked) {
      if (!S.check || S.check.verdict !== 'unique') { say('Only a puzzle with one solution can be drawn solved.'); return null; }
      sol = S.check.solutions[0];
    }
    return boardSvg({standalone: true, bridges: sol});
  }
  S.picture = exportSvg;  // the picture the SVG button saves, for the tests

  function download(href, name) {
    var a = document.createElement('a');
    a.href = href; a.download = name;
    document.body.appendChild(a); a.click(); a.remove();
  }
  function saveSvg() {
    var svg = exportSvg();
    if (svg) download(URL.createObjectURL(new Blob([svg], {type: 'image/svg+xml'})), 'spanwright.svg');
  }
  function savePng() {
    var svg = exportSvg();
    if (!svg) return;
    var img = new Image();
    img.onload = function () {
      var cv = document.createElement('canvas'), scale = 2;
      cv.width = img.width * scale; cv.height = img.height * scale;
      var g = cv.getContext('2d');
      g.scale(scale, scale); g.drawImage(img, 0, 0);
      cv.toBlob(function (blob) { download(URL.createObjectURL(blob), 'spanwright.png'); }, 'image/png');
    };
    img.onerror = function () { say('The picture could not be drawn.'); };
    img.src = 'data:image/svg+xml;charset=utf-8,' + encodeURIComponent(svg);
  }

  // ---- input -------------------------------------------------------------------------
  function cellAt(ev) {
    var svg = $('board').querySelector('svg');
    var pt = svg.createSVGPoint();
    pt.x = ev.clientX; pt.y = ev.clientY;
    pt = pt.matrixTransform(svg.getScreenCTM().inverse());
    return {r: Math.floor(pt.y / CELL), c: Math.floor(pt.x / CELL), x: pt.x, y: pt.y};
  }
  // The island a drag from `from` aims at: the one released on when it is the next one
  // along, else the next one in the drag's main direction.
  function dragTarget(from, p) {
    var dy = p.y - cx(from[0]), dx = p.x - cx(from[1]);
    if (Math.max(Math.abs(dx), Math.abs(dy)) < CELL / 2) return null;
    var dr = Math.abs(dy) > Math.abs(dx) ? Math.sign(dy) : 0, dc = dr ? 0 : Math.sign(dx);
    return neighbour(from[0], from[1], dr, dc);
  }
  function onPointerDown(ev) {
    if (!$('board').querySelector('svg')) return;
    var p = cellAt(ev);
    if (!inside(p.r, p.c)) return;
    $('board').focus({preventScroll: true});
    S.cursor = [p.r, p.c];
    if (S.mode === 'construct') {
      if (ev.button === 2) return;  // the context menu event lowers
      if (ev.button !== 0) return;
      if (S.lower || ev.ctrlKey) lower(p.r, p.c); else raise(p.r, p.c);
      return;
    }
    if (at(p.r, p.c) && ev.button === 0) {
      S.drag = {from: [p.r, p.c], mark: ev.shiftKey || S.markMode};
      try { $('board').setPointerCapture(ev.pointerId); } catch (e) { /* synthetic events have no capture */ }
      ev.preventDefault();
    }
    render();
  }
  function onPointerMove(ev) {
    if (!S.drag) return;
    var to = dragTarget(S.drag.from, cellAt(ev));
    if (String(to) !== String(S.drag.to)) { S.drag.to = to; render(); }
  }
  function onPointerUp(ev) {
    if (!S.drag) return;
    var d = S.drag, to = dragTarget(d.from, cellAt(ev));
    S.drag = null;
    if (to) lay(d.from, to, d.mark || ev.shiftKey); else render();
  }
  var DIRS = {ArrowUp: [-1, 0], ArrowDown: [1, 0], ArrowLeft: [0, -1], ArrowRight: [0, 1]};
  function onKey(ev) {
    var t = ev.target.tagName;
    if (t === 'INPUT' || t === 'SELECT' || t === 'TEXTAREA' || (t === 'BUTTON' && (ev.key === 'Enter' || ev.key === ' '))) return;
    var k = ev.key, ctrl = ev.ctrlKey || ev.metaKey, r = S.cursor[0], c = S.cursor[1], done = true;
    if (ctrl && (k === 'z' || k === 'Z')) (ev.shiftKey ? redo : undo)();
    else if (ctrl && (k === 'y' || k === 'Y')) redo();
    else if (ctrl) done = false;
    else if (DIRS[k] && S.mode === 'play' && S.pending) {
      layToward(r, c, DIRS[k][0], DIRS[k][1], S.pending === 'mark');
      S.pending = null; render();
    } else if (DIRS[k]) {
      S.cursor = [Math.max(0, Math.min(S.h - 1, r + DIRS[k][0])), Math.max(0, Math.min(S.w - 1, c + DIRS[k][1]))];
      render();
    } else if (k === 'u') undo();
    else if (S.mode === 'construct') {
      if (/^[0-8]$/.test(k)) edit(r, c, function () { return +k; });
      else if (k === 'Delete' || k === 'Backspace') edit(r, c, function () { return 0; });
      else if (k === ' ' || k === 'Enter' || k === '+') raise(r, c);
      else if (k === '-') lower(r, c);
      else done = false;
    } else {
      if (k === 'Enter' || k === ' ' || k === 'b') { S.pending = S.pending === 'bridge' ? null : 'bridge'; render(); }
      else if (k === 'x' || k === 'm') { S.pending = S.pending === 'mark' ? null : 'mark'; render(); }
      else if (k === 'Escape') { S.pending = null; render(); }
      else if (k === 'h') takeHint();
      else done = false;
    }
    if (done) ev.preventDefault();
  }
  function undo() { if (S.mode === 'play') prestore(S.playUndo, S.playRedo); else restore(S.undos, S.redos); }
  function redo() { if (S.mode === 'play') prestore(S.playRedo, S.playUndo); else restore(S.redos, S.undos); }

  function toggle(id, prop) {
    S[prop] = !S[prop];
    $(id).setAttribute('aria-pressed', String(S[prop]));
  }
  function makePuzzle(mode) {
    var seed = $('make-seed').value.trim(), opts = {
      width: +$('make-w').value, height: +$('make-h').value, level: $('make-level').value,
      symmetry: $('make-symmetry').value
    };
    if (!(opts.width >= 3 && opts.height >= 3 && opts.width <= MAX_SIDE && opts.height <= MAX_SIDE)) {
      say('A puzzle is made from 3 x 3 to ' + MAX_SIDE + ' x ' + MAX_SIDE + '.'); return;
    }
    if (seed) {
      if (!/^\d+$/.test(seed)) { say('A seed is a whole number; "' + shorten(seed) + '" is not.'); return; }
      opts.seed = +seed;
    }
    say('Making a ' + opts.level + ' ' + opts.width + ' x ' + opts.height + ' puzzle...', true);
    SW.make(opts).then(function (res) {
      return openPuzzle(res.line, mode).then(function (ok) {
        if (ok) say('Made with seed ' + res.seed + ' (level ' + res.level + ', score ' + res.score + ').', true);
      });
    }).catch(fail('Make'));
  }

  function wire() {
    var board = $('board');
    board.addEventListener('pointerdown', onPointerDown);
    board.addEventListener('pointermove', onPointerMove);
    board.addEventListener('pointerup', onPointerUp);
    board.addEventListener('pointercancel', function () { S.drag = null; render(); });
    board.addEventListener('contextmenu', function (ev) {
      ev.preventDefault();
      if (S.mode !== 'construct') return;
      var p = cellAt(ev);
      S.cursor = [p.r, p.c];
      lower(p.r, p.c);
    });
    board.addEventListener('focus', render);
    board.addEventListener('blur', render);
    document.addEventListener('keydown', onKey);
    $('mode-construct').onclick = function () { setMode('construct'); };
    $('mode-play').onclick = function () { setMode('play'); };
    $('undo').onclick = undo;
    $('redo').onclick = redo;
    $('lower').onclick = function () { toggle('lower', 'lower'); };
    $('mark').onclick = function () { toggle('mark', 'markMode'); };
    $('hint').onclick = takeHint;
    $('restart').onclick = function () { S.playUndo.push(psnap()); S.bridges = {}; S.empty = {}; S.hint = null; positionChanged(); };
    $('apply').onclick = function () {
      var s = S.check && S.check.suggestion;
      if (s) edit(s.cell[0], s.cell[1], function () { return s.number; });
    };
    $('new-grid').onclick = function () { newGrid(+$('new-w').value, +$('new-h').value); };
    $('make-play').onclick = function () { makePuzzle('play'); };
    $('make-edit').onclick = function () { makePuzzle('construct'); };
    $('open-play').onclick = function () { openPuzzle($('open-text').value, 'play'); };
    $('open-edit').onclick = function () { openPuzzle($('open-text').value, 'construct'); };
    $('save-svg').onclick = saveSvg;
    $('save-png').onclick = savePng;
    ['share-id', 'share-link', 'share-line', 'share-page'].forEach(function (id) {
      $(id).onfocus = function () { this.select(); };
    });
    window.addEventListener('hashchange', function () {
      var mine = '#' + S.mode + '=' + enc(problemLine());
      if (location.hash.indexOf(mine) !== 0) readAddress();
    });
  }

  function start() {
    var hash = location.hash;  // before the first mode writes its own
    wire();
    S.grid = blank(S.w, S.h);
    setMode('construct');
    if (!SW) { say('The solver (spanwright.js) did not load, so the page cannot check or play.'); return; }
    $('version').textContent = SW.version || '';
    SW.ready.then(function () {
      if (!readAddress(hash)) { render(); writeAddress(); }
    }).catch(fail('The solver did not start'));
  }
  start();
})();
