// A stand-in for the WebAssembly module, for working on the page alone: a brute-force
// counter of solutions (small boards only) behind the same promise-returning calls.
(function () {
  'use strict';
  function parse(text) {
    var p = String(text).trim().split('/');
    if (p.length < 4) throw new Error('not a problem line: ' + text);
    var h = +p[1], w = +p[2], rows = p.slice(3, 3 + h);
    if (!(w >= 1 && h >= 1) || rows.length < h) throw new Error('not a problem line: ' + text);
    return {w: w, h: h, rows: rows};
  }
  function lines(b) {
    var isl = [], at = {}, ls = [];
    b.rows.forEach(function (row, r) {
      for (var c = 0; c < b.w; c++)
        if (row[c] >= '1' && row[c] <= '8') { at[r + ',' + c] = isl.length; isl.push([r, c, +row[c]]); }
    });
    isl.forEach(function (a, i) {
      for (var c = a[1] + 1; c < b.w; c++) if (at[a[0] + ',' + c] !== undefined) { ls.push([i, at[a[0] + ',' + c]]); break; }
      for (var r = a[0] + 1; r < b.h; r++) if (at[r + ',' + a[1]] !== undefined) { ls.push([i, at[r + ',' + a[1]]]); break; }
    });
    return {isl: isl, ls: ls};
  }
  function crosses(g, a, b) {
    var A = g.ls[a], B = g.ls[b], p = g.isl[A[0]], q = g.isl[A[1]], s = g.isl[B[0]], t = g.isl[B[1]];
    if (p[0] === q[0] && s[1] === t[1]) return s[0] < p[0] && p[0] < t[0] && p[1] < s[1] && s[1] < q[1];
    if (p[1] === q[1] && s[0] === t[0]) return p[0] < s[0] && s[0] < q[0] && s[1] < p[1] && p[1] < t[1];
    return false;
  }
  function solve(g, limit) {
    var n = g.ls.length, val = new Array(n).fill(0), deg = g.isl.map(function () { return 0; }), out = [];
    function connected() {
      var seen = [0], mark = {0: 1};
      while (seen.length) {
        var i = seen.pop();
        g.ls.forEach(function (l, k) {
          if (!val[k]) return;
          var j = l[0] === i ? l[1] : l[1] === i ? l[0] : -1;
          if (j >= 0 && !mark[j]) { mark[j] = 1; seen.push(j); }
        });
      }
      return Object.keys(mark).length === g.isl.length;
    }
    (function go(k) {
      if (out.length >= limit) return;
      if (k === n) {
        if (deg.every(function (d, i) { return d === g.isl[i][2]; }) && connected()) out.push(val.slice());
        return;
      }
      for (var v = 0; v <= 2; v++) {
        var l = g.ls[k];
        if (deg[l[0]] + v > g.isl[l[0]][2] || deg[l[1]] + v > g.isl[l[1]][2]) break;
        if (v && val.some(function (x, j) { return j < k && x && crosses(g, j, k); })) break;
        val[k] = v; deg[l[0]] += v; deg[l[1]] += v;
        go(k + 1);
        deg[l[0]] -= v; deg[l[1]] -= v; val[k] = 0;
      }
    })(0);
    return out;
  }
  function rec(g, k, v) {
    var a = g.isl[g.ls[k][0]], b = g.isl[g.ls[k][1]];
    return v === undefined ? [a[0], a[1], b[0], b[1]] : [a[0], a[1], b[0], b[1], v];
  }
  function check(text) {
    var b = parse(text), g = lines(b), sols = g.isl.length ? solve(g, 2) : [];
    var verdict = sols.length === 0 ? 'none' : sols.length === 1 ? 'unique' : 'multiple';
    return {
      width: b.w, height: b.h, islands: g.isl.length, verdict: verdict, level: verdict === 'unique' ? 'easy' : null,
      score: verdict === 'unique' ? 1.0 : null,
      solutions: sols.map(function (s) { return s.map(function (v, k) { return rec(g, k, v); }).filter(function (x) { return x[4]; }); }),
      differ: sols.length > 1 ? g.ls.map(function (l, k) { return k; }).filter(function (k) { return sols[0][k] !== sols[1][k]; }).map(function (k) { return rec(g, k); }) : [],
      furthest: [], reason: verdict === 'none' ? 'stub: no solution' : null, suggestion: null, cpu_ms: {}
    };
  }
  function hint(text, pos) {
    var r = check(text);
    if (r.verdict !== 'unique') throw new Error('the puzzle has no single solution');
    var sol = {};
    r.solutions[0].forEach(function (s) { sol[s.slice(0, 4).join()] = s[4]; });
    var wrong = (pos.bridges || []).filter(function (b) { return sol[b.slice(0, 4).join()] !== b[4]; });
    if (wrong.length) return {solved: false, wrong: wrong, steps: []};
    var have = {};
    (pos.bridges || []).forEach(function (b) { have[b.slice(0, 4).join()] = b[4]; });
    var todo = r.solutions[0].filter(function (s) { return have[s.slice(0, 4).join()] !== s[4]; });
    if (!todo.length) return {solved: true, wrong: [], steps: []};
    var s = todo[0];
    return {solved: false, wrong: [], steps: [{technique: 'stub', rung: 'easy', islands: [[s[0], s[1]]],
      sets: [[s[0], s[1], s[2], s[3], s[4], s[4]]], reason: 'The stub says this line carries ' + s[4] + '.'}]};
  }
  function later(f) {
    return new Promise(function (ok, fail) { setTimeout(function () { try { ok(f()); } catch (e) { fail(e); } }, 0); });
  }
  window.spanwright = {
    version: 'stub',
    ready: Promise.resolve(),
    check: function (t) { return later(function () { return check(t); }); },
    explain: function (t) { return later(function () { return {level: 'easy', score: 1, solved: true, steps: []}; }); },
    hint: function (t, p) { return later(function () { return hint(t, p); }); },
    make: function (o) { return later(function () { return {line: '1/7/7/....4.4/......./......./..1.5.2/......./......./.2..6.2/', id: '', link: '', seed: 1, level: 'easy', score: 0.3, width: 7, height: 7}; }); },
    convert: function (t, to) {
      return later(function () { var b = parse(t); var line = t.trim(); return to ? {text: line} : {line: line, id: 'stub-id', link: 'https://puzz.link/p?hashikake/stub'}; });
    }
  };
})();
