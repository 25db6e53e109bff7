// spanwright in the browser: checks, explanations, hints, making and conversions of bridge
// puzzles, run by the project's own C++ compiled to WebAssembly. The build appends this to
// the module, so that one classic script defines the global `spanwright` (and, under
// Node.js, module.exports): it needs no fetch and no ES import, and works from file://.
//
// Every function returns a Promise of a plain object whose field names are those of the
// programs' JSON, rejected with an Error that carries the programs' message for bad input.
// Each takes an optional {timeLimit: seconds} (default 5); past it the verdict is
// "unknown" or the request is refused, never a hang. Cells are [row, column] from 0.
(function (root) {
  'use strict';

  var DEFAULT_TIME_LIMIT = 5;
  // A 10 x 10 puzzle that needs every rung of the ladder, to warm the module up with.
  var WARM_UP = '2/10/10/3...4.4..3/.......1../4..1....1./..3.4.1..3/...1....../....4..3.2/' +
    '2..3..4.3./..4..1...2/........1./1.2.1.3..3/';
  var factory = typeof SpanwrightCore === 'function' ? SpanwrightCore : null;
  var core = null;
  var loaded = factory
    ? factory({print: function () {}, printErr: function () {}}).then(function (module) {
        core = module;
        // The engine compiles the WebAssembly quickly first and well only once it has run
        // for a while: a check and a hint on a small board bring the first answers a page
        // asks for down from about a hundred milliseconds to a few.
        core.ccall('spanwright_check', 'string', ['string', 'number'], [WARM_UP, 1]);
        core.ccall('spanwright_hint', 'string', ['string', 'string', 'string', 'number'],
                   [WARM_UP, '', '', 1]);
      })
    : Promise.reject(new Error('spanwright: the WebAssembly module is missing'));

  function timeLimitOf(opts) {
    var limit = opts && opts.timeLimit;
    if (limit === undefined || limit === null) return DEFAULT_TIME_LIMIT;
    if (typeof limit !== 'number' || !(limit > 0)) {
      throw new Error('the time limit ' + String(limit) + ' is not a number of seconds above 0');
    }
    return limit;
  }

  // Text reaches the module on its stack, four bytes a character at most: a text past
  // these bounds would overrun it and leave the module broken for every later call. No
  // puzzle comes near them (a 125 x 125 problem line is 16 KiB; a position of that board
  // under 1 MiB).
  var MAX_PUZZLE_TEXT = 1 << 16;
  var MAX_POSITION_TEXT = 1 << 20;

  function textOf(puzzle) {
    if (typeof puzzle !== 'string') {
      throw new Error('the puzzle is not text: give a problem line, a game ID or a puzz.link link');
    }
    if (puzzle.length > MAX_PUZZLE_TEXT) {
      throw new Error('the puzzle text is longer than any puzzle (' + MAX_PUZZLE_TEXT +
                      ' characters at most)');
    }
    return puzzle;
  }

  function shortText(value, what) {
    var text = String(value);
    if (text.length > 64) throw new Error('the ' + what + ' \'' + text.slice(0, 64) + '...\' is unknown');
    return text;
  }

  // Runs one call of the module once it is loaded: its JSON answer, or a rejection with
  // its message. Arguments are checked inside the promise, so nothing throws at once.
  function call(work) {
    return loaded.then(function () {
      var answer = JSON.parse(work());
      if (answer && typeof answer.error === 'string' && Object.keys(answer).length === 1) {
        throw new Error(answer.error);
      }
      return answer;
    });
  }

  // A position's lines as the module reads them: numbers separated by commas.
  function flatLines(lines, size, what) {
    if (lines === undefined || lines === null) return '';
    if (!Array.isArray(lines)) throw new Error('the position\'s ' + what + ' are not a list');
    var flat = [];
    lines.forEach(function (line) {
      if (!Array.isArray(line) || line.length !== size ||
          !line.every(function (v) { return Number.isInteger(v); })) {
        throw new Error('the position\'s ' + what + ' are not lists of ' + size + ' whole numbers');
      }
      flat.push(line.join(','));
    });
    var text = flat.join(',');
    if (text.length > MAX_POSITION_TEXT) {
      throw new Error('the position\'s ' + what + ' are more than any board holds');
    }
    return text;
  }

  var spanwright = {
    version: '@PROJECT_VERSION@',

    // {width, height, islands, verdict, deduction, grade, technique, level, score,
    //  solutions, differ, furthest, reason, suggestion, cpu_ms}
    check: function (puzzle, opts) {
      return call(function () {
        return core.ccall('spanwright_check', 'string', ['string', 'number'],
                          [textOf(puzzle), timeLimitOf(opts)]);
      });
    },

    // {width, height, level, score, solved, steps: [{technique, rung, islands, sets, reason}]}
    explain: function (puzzle, opts) {
      return call(function () {
        return core.ccall('spanwright_explain', 'string', ['string', 'number'],
                          [textOf(puzzle), timeLimitOf(opts)]);
      });
    },

    // position = {bridges: [[r1,c1,r2,c2,n],...], empty: [[r1,c1,r2,c2],...]} ->
    // {solved, wrong: [[r1,c1,r2,c2,n],...], wrong_sentences, unseen, steps, moves}
    hint: function (puzzle, position, opts) {
      return call(function () {
        var p = position || {};
        return core.ccall('spanwright_hint', 'string', ['string', 'string', 'string', 'number'],
                          [textOf(puzzle), flatLines(p.bridges, 5, 'bridges'),
                           flatLines(p.empty, 4, 'empty lines'), timeLimitOf(opts)]);
      });
    },

    // {width, height, level, symmetry, seed, timeLimit} -> the pack record of
    // spanwright-make --format json, with its problem line as `line` and its `link`.
    make: function (request) {
      return call(function () {
        var r = request || {};
        var seed = r.seed === undefined || r.seed === null
          ? Math.floor(Math.random() * 4294967296) : r.seed;
        if (typeof seed !== 'number') throw new Error('the seed is not a number');
        var width = r.width === undefined ? 10 : r.width;
        var height = r.height === undefined ? width : r.height;
        if (!Number.isInteger(width) || !Number.isInteger(height)) {
          throw new Error('the width and height are not whole numbers');
        }
        return core.ccall('spanwright_make', 'string',
                          ['number', 'number', 'string', 'string', 'number', 'number'],
                          [width, height, shortText(r.level || 'medium', 'level'),
                           shortText(r.symmetry || 'none', 'symmetry'), seed, timeLimitOf(r)]);
      });
    },

    // to: "line", "id", "puzzlink" or "pencilbox" -> {text}; none -> {line, id, link}
    convert: function (puzzle, to) {
      return call(function () {
        if (to !== undefined && to !== null && typeof to !== 'string') {
          throw new Error('the form to convert to is not text');
        }
        return core.ccall('spanwright_convert', 'string', ['string', 'string'],
                          [textOf(puzzle), shortText(to || '', 'form')]);
      });
    }
  };
  spanwright.ready = loaded.then(function () { return undefined; });

  root.spanwright = spanwright;
  if (typeof module === 'object' && module && 'exports' in module) {
    module.exports = spanwright;
  }
})(typeof globalThis !== 'undefined' ? globalThis : this);
