// The browser module under Node.js, as a page drives it: every function of
// window.spanwright against the programs' answers, bad input refused with a message, and
// the time a check and a hint take on a 20 x 20 puzzle.
//
//   node tests/web/module_test.js build/web/spanwright.js
'use strict';
const assert = require('assert');
const path = require('path');

const spanwright = require(path.resolve(process.argv[2] || 'build/web/spanwright.js'));

// A unique 10 x 10 puzzle of examples/verdicts.txt, several solutions, none, and a
// 20 x 20 one from `spanwright-seeded 7 20 1`.
const UNIQUE = '2/10/10/3...4.4..3/.......1../4..1....1./..3.4.1..3/...1....../....4..3.2/' +
  '2..3..4.3./..4..1...2/........1./1.2.1.3..3/';
const SEVERAL = '1/4/4/3..3/..../..../3..3/';
const NONE = '1/1/3/1.2/';
const LARGE = '4/20/20/.3...3..2..2.3.3...2/...1...1..3.2......./........3.' +
  '.....3..3./...3.4.2..3..3..2..2/.4..4...5.........../...2......4...2...../.....1..3..2...1' +
  '..1./.3.5........2...4..3/..2.4...4.2..3.2..../.2..........1.1..1.2/......2.4..6.3..2.1./.' +
  '..3........2.3..5.2/1.4.1...2.1..3.1..../.1............1.3.../3.6.1.4.4..3.2.1.2../...1...' +
  '...1.5...6..3/3.5.2...5..4.3.2..1./..................../..2..2.1.1.2.2..4.2./3...3.2.3.2...3..4.3/';

const failures = [];
async function test(name, body) {
  try {
    await body();
    console.log('ok   ' + name);
  } catch (error) {
    failures.push(name);
    console.log('FAIL ' + name + '\n     ' + (error && error.stack || error));
  }
}

async function rejects(promise, pattern) {
  let message = null;
  try {
    await promise;
  } catch (error) {
    assert.ok(error instanceof Error, 'rejected with an Error');
    message = error.message;
  }
  assert.ok(message !== null, 'the promise was not rejected');
  assert.match(message, pattern);
  return message;
}

const key = (line) => line.slice(0, 4).join(',');

// The number of bridges at every island of a solution, against the puzzle's numbers, and
// every pair of islands at most doubly bridged: what makes a solution one.
function fitsNumbers(puzzleLine, solution) {
  const rows = puzzleLine.split('/').slice(3, -1);
  const count = new Map();
  for (const [r1, c1, r2, c2, n] of solution) {
    assert.ok(n >= 1 && n <= 2);
    count.set(r1 + ',' + c1, (count.get(r1 + ',' + c1) || 0) + n);
    count.set(r2 + ',' + c2, (count.get(r2 + ',' + c2) || 0) + n);
  }
  rows.forEach((row, r) => [...row].forEach((ch, c) => {
    if (ch !== '.') assert.strictEqual(count.get(r + ',' + c) || 0, Number(ch), `island ${r},${c}`);
  }));
}

(async () => {
  await spanwright.ready;

  await test('version and globals', async () => {
    assert.match(spanwright.version, /^\d+\.\d+\.\d+$/);
    assert.strictEqual(globalThis.spanwright, spanwright);
  });

  await test('check: unique, several, none', async () => {
    const one = await spanwright.check(UNIQUE);
    assert.strictEqual(one.verdict, 'unique');
    assert.deepStrictEqual([one.width, one.height, one.islands], [10, 10, 29]);
    assert.strictEqual(one.solutions.length, 1);
    fitsNumbers(UNIQUE, one.solutions[0]);
    assert.match(one.level, /^(easy|medium|hard|expert|extreme)$/);
    assert.strictEqual(typeof one.score, 'number');
    assert.deepStrictEqual(one.differ, []);
    assert.strictEqual(one.suggestion, null);
    // The ladder solves it, so its furthest is the solution itself.
    const solved = new Map(one.solutions[0].map((b) => [key(b), b[4]]));
    for (const line of one.furthest) {
      assert.strictEqual(line[4], line[5], 'settled ' + key(line));
      assert.strictEqual(line[4], solved.get(key(line)) || 0, 'as solved ' + key(line));
    }

    const several = await spanwright.check(SEVERAL);
    assert.strictEqual(several.verdict, 'multiple');
    assert.strictEqual(several.solutions.length, 2);
    several.solutions.forEach((s) => fitsNumbers(SEVERAL, s));
    // Exactly the lines the two solutions bridge differently.
    const [a, b] = several.solutions.map((s) => new Map(s.map((x) => [key(x), x[4]])));
    const differ = new Set([...a.keys(), ...b.keys()].filter((k) => a.get(k) !== b.get(k)));
    assert.deepStrictEqual(new Set(several.differ.map(key)), differ);
    assert.ok(differ.size > 0);
    assert.ok(several.furthest.some((l) => l[4] < l[5]), 'the ladder leaves a line open');

    const none = await spanwright.check(NONE);
    assert.strictEqual(none.verdict, 'none');
    assert.deepStrictEqual(none.solutions, []);
    assert.match(none.reason, /add up to 3, an odd total/);
    const short = await spanwright.check('1/1/4/4..2/');
    assert.strictEqual(short.verdict, 'none');
    assert.match(short.reason, /the 4 at \(1,1\) needs more bridges .* \(2 at most\)/);
    const pairs = await spanwright.check('1/3/3/1.1/.../1.1/');  // two pairs, never joined
    assert.strictEqual(pairs.verdict, 'none');
    assert.strictEqual(pairs.reason, null);  // no cause read off the board
  });

  await test('check: a suggestion makes the puzzle unique', async () => {
    // Four corners joined round a ring, each pair by one bridge or two: an island halfway
    // along a double bridge picks one way round.
    const ring = '1/7/7/3.....3/......./......./......./......./......./3.....3/';
    const several = await spanwright.check(ring);
    assert.strictEqual(several.verdict, 'multiple');
    const s = several.suggestion;
    assert.ok(s !== null, 'a suggestion');
    assert.strictEqual(s.kind, 'add');
    assert.match(s.reason, /island of 4 .* the only solution/);
    const rows = ring.split('/').slice(3, -1).map((row) => [...row]);
    assert.strictEqual(rows[s.cell[0]][s.cell[1]], '.');
    rows[s.cell[0]][s.cell[1]] = String(s.number);
    const changed = '1/7/7/' + rows.map((row) => row.join('')).join('/') + '/';
    assert.strictEqual((await spanwright.check(changed)).verdict, 'unique', changed);
  });

  await test('explain: steps that solve it', async () => {
    const record = await spanwright.explain(UNIQUE);
    assert.strictEqual(record.solved, true);
    assert.ok(record.steps.length > 0);
    for (const step of record.steps) {
      assert.deepStrictEqual(Object.keys(step), ['technique', 'rung', 'islands', 'sets', 'reason']);
      assert.match(step.reason, /\.$/);
    }
    const several = await spanwright.explain(SEVERAL);
    assert.strictEqual(several.solved, false);
    assert.strictEqual(several.verdict, 'several');
  });

  await test('hint: a step, a wrong bridge named first, solved', async () => {
    const solution = (await spanwright.check(UNIQUE)).solutions[0];
    const first = await spanwright.hint(UNIQUE, {bridges: [], empty: []});
    assert.strictEqual(first.solved, false);
    assert.deepStrictEqual(first.wrong, []);
    assert.strictEqual(first.steps.length, 1);
    assert.ok(first.steps[0].reason.length > 0);

    // A bridge where the solution has none, given with its ends the other way round.
    const lines = (await spanwright.check(UNIQUE)).furthest;
    const empty = lines.find((l) => l[5] === 0);
    const wrongLine = [empty[2], empty[3], empty[0], empty[1], 1];
    const wrong = await spanwright.hint(UNIQUE, {bridges: [solution[0], wrongLine]});
    assert.deepStrictEqual(wrong.wrong, [[...empty.slice(0, 4), 1]]);
    assert.strictEqual(wrong.wrong_sentences.length, 1);
    assert.deepStrictEqual(wrong.steps, []);

    // A line marked empty that holds a bridge is named with 0.
    const marked = await spanwright.hint(UNIQUE, {empty: [solution[0].slice(0, 4)]});
    assert.deepStrictEqual(marked.wrong, [[...solution[0].slice(0, 4), 0]]);

    const done = await spanwright.hint(UNIQUE, {bridges: solution});
    assert.strictEqual(done.solved, true);
  });

  await test('make: to order, the same for the same seed', async () => {
    const request = {width: 8, height: 7, level: 'easy', symmetry: 'rotate', seed: 12};
    const made = await spanwright.make(request);
    assert.deepStrictEqual([made.width, made.height, made.level, made.seed, made.index],
                           [8, 7, 'easy', 12, 0]);
    assert.strictEqual(made.line, made.problem);
    const again = await spanwright.make(request);
    assert.strictEqual(again.line, made.line);
    const checked = await spanwright.check(made.link);
    assert.strictEqual(checked.verdict, 'unique');
    assert.strictEqual(checked.level, 'easy');
    assert.strictEqual(checked.score, made.score);
    const fresh = await spanwright.make({width: 6, level: 'easy'});
    assert.ok(Number.isInteger(fresh.seed));
  });

  await test('convert: line, ID and link read back alike', async () => {
    const all = await spanwright.convert(UNIQUE);
    assert.ok(all.id.startsWith('10x10m2:'));
    assert.ok(all.link.includes('hashikake/10/10/'));
    for (const form of [all.id, all.link]) {
      const back = await spanwright.convert(form, 'line');
      assert.strictEqual(back.text, UNIQUE.replace(/^2\//, '0/'));
    }
    assert.strictEqual((await spanwright.convert(UNIQUE, 'id')).text, all.id);
    assert.match((await spanwright.convert(UNIQUE, 'pencilbox')).text, /^10\n10\n/);
  });

  await test('bad input rejected with the programs\' message', async () => {
    await rejects(spanwright.check('https://puzz.link/p?hashikake/5/5/zz'), /puzz\.link/);
    await rejects(spanwright.explain('10x10:zz'), /game ID/);
    await rejects(spanwright.check(''), /no puzzle/);
    await rejects(spanwright.check(42), /not text/);
    await rejects(spanwright.convert(UNIQUE, 'gif'), /none of/);
    await rejects(spanwright.make({width: 2, level: 'easy'}), /from 3/);
    await rejects(spanwright.make({level: 'impossible'}), /level/);
    await rejects(spanwright.hint(UNIQUE, {bridges: [[0, 0, 5, 5, 1]]}), /facing islands/);
    await rejects(spanwright.hint(UNIQUE, {bridges: [[0, 0]]}), /5 whole numbers/);
    await rejects(spanwright.check(UNIQUE, {timeLimit: -1}), /time limit/);
    // Text past the module's stack once broke it for every later call.
    await rejects(spanwright.check('1/1/3/' + '.'.repeat(3000000) + '/'), /longer than any/);
    const bridges = Array.from({length: 300000}, () => [0, 0, 0, 9, 1]);
    await rejects(spanwright.hint(UNIQUE, {bridges}), /more than any board/);
    await rejects(spanwright.make({level: 'x'.repeat(3000000)}), /level/);
    assert.strictEqual((await spanwright.check(UNIQUE)).verdict, 'unique');
  });

  // WebAssembly has no thread CPU clock: the limits once read a clock that stood still,
  // and no search ever stopped.
  await test('time limits end the work', async () => {
    const checked = await spanwright.check(LARGE, {timeLimit: 1e-4});
    assert.strictEqual(checked.verdict, 'unknown');
    const explained = await spanwright.explain(LARGE, {timeLimit: 1e-4});
    assert.deepStrictEqual([explained.solved, explained.verdict], [false, 'unknown']);
  });

  await test('20 x 20: check and hint timings', async () => {
    // CPU time of this process, which other work on the machine does not stretch, for
    // the report; the bound only catches a runaway.
    const time = async (work) => {
      const times = [];
      let result;
      for (let i = 0; i < 5; ++i) {
        const start = process.cpuUsage();
        result = await work();
        const used = process.cpuUsage(start);
        times.push((used.user + used.system) / 1e3);
      }
      times.sort((x, y) => x - y);
      return [times[2], result];
    };
    const [checkMs, checked] = await time(() => spanwright.check(LARGE));
    assert.strictEqual(checked.verdict, 'unique');
    const [hintMs, hinted] = await time(() => spanwright.hint(LARGE, {bridges: []}));
    assert.strictEqual(hinted.steps.length, 1);
    console.log(`     20x20 check ${checkMs.toFixed(1)} ms (level ${checked.level}, ` +
                `score ${checked.score}), hint ${hintMs.toFixed(1)} ms (CPU, median of 5)`);
    assert.ok(checkMs < 2000 && hintMs < 2000, 'a call ran away');
  });

  if (failures.length) {
    console.log(failures.length + ' failed: ' + failures.join(', '));
    process.exit(1);
  }
})().catch((error) => {
  console.log(error);
  process.exit(1);
});
