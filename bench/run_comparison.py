#!/usr/bin/env python3
"""Runs our reading and import figures and those of the tools a user would pick instead, side by
side on the same tables, and prints the table of results and the table of goals (Markdown).

The tables: the generated ones of each size (tN.dbf with its memo file) and, when the workloads
folder holds it, the real lines.dbf (595,470 records of one N(24,15) field, no memo file).

Whole-process runs go round-robin: every repetition runs each command once, in turn, so that a
change in the machine's load falls on all of them alike; the figure is the median of at least
three. Peak memory is the maximum resident set size that /usr/bin/time reports (as `-v` prints
it).

Every copy is checked, ours and the other tools', by its row count and the sums of two columns
against what the table's bytes say (read here, by a parser of its own): the imports' databases,
and the text that dbfview, pgdbf and dbfread make of the table (from a run of their own, outside
the timing). A copy that is short or wrong stops the run: its time would mean nothing.

The embedded engine's database lives in WORK/ocilite; an import into an empty table starts from a
copy of a database holding the empty target tables, one into a table already holding the rows
from a copy taken after the first import of that size. Copies are made outside the timing.

Usage: run_comparison.py --build BUILD_DIR --workloads DIR --work DIR [--sizes N ...]
                         [--max-seek-records N] [--reps N]
"""
import argparse
import itertools
import math
import os
import re
import shutil
import sqlite3
import statistics
import struct
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
PYTHON = '/usr/bin/python3'  # Debian's, which has python3-dbfread
DATABASE = 'BENCH'


class Run:
    def __init__(self, seconds, max_rss_kib, stdout):
        self.seconds = seconds
        self.max_rss_kib = max_rss_kib
        self.stdout = stdout


def run(argv, env=None):
    """Runs a set-up step or an in-process benchmark; returns its standard output."""
    proc = subprocess.run(argv, env=env, capture_output=True)
    if proc.returncode != 0:
        sys.exit(f'{" ".join(argv)} failed ({proc.returncode}):\n'
                 f'{proc.stderr.decode(errors="replace")}')
    return proc.stdout.decode(errors='replace')


def timed(argv, env=None, capture=False):
    """Runs argv under /usr/bin/time for its peak memory (a child spawned from this process
    directly would inherit the interpreter's memory high-water mark at exec). Standard output
    goes to /dev/null unless captured; standard error is kept for the failure message."""
    with tempfile.TemporaryDirectory() as scratch:
        memory = os.path.join(scratch, 'memory')
        errors = os.path.join(scratch, 'errors')
        with open(errors, 'wb') as err:
            start = time.perf_counter()
            proc = subprocess.run(['/usr/bin/time', '-f', '%M', '-o', memory] + argv, env=env,
                                  stdout=subprocess.PIPE if capture else subprocess.DEVNULL,
                                  stderr=err)
            seconds = time.perf_counter() - start
        if proc.returncode != 0:
            with open(errors, 'rb') as err:
                sys.exit(f'{" ".join(argv)} failed with exit status {proc.returncode}:\n'
                         f'{err.read().decode(errors="replace")}')
        with open(memory) as f:
            max_rss_kib = int(f.read().split()[-1])
    text = proc.stdout.decode('utf-8', errors='replace') if capture else ''
    return Run(seconds, max_rss_kib, text)


def median(runs, key):
    return statistics.median(key(r) for r in runs)


def repetitions(records, forced):
    return forced or max(3, min(5, 300_000 // records))


class Workload:
    """One table the benchmarks read and import: its files, the field links and target table of
    the import, and the two sums its copies are checked by, each a column and a power (the real
    table has a single column: its sum and the sum of its squares)."""

    def __init__(self, name, dbf, memo, links, target, sums, encoding='cp866'):
        self.name = name
        self.dbf = dbf
        self.memo = memo
        self.links = links
        self.target = target
        self.sums = sums
        self.encoding = encoding
        self._expected = None

    def files(self):
        return [self.dbf] + ([self.memo] if self.memo else [])

    def expected(self):
        """Row count and sums as the table's bytes give them: live records only."""
        if self._expected is None:
            self._expected = dbf_sums(self.dbf, self.sums)
        return self._expected

    def sql_sums(self):
        return ', '.join(f'sum({c})' if power == 1 else f'sum({c} * {c})'
                         for c, power in self.sums)


def dbf_sums(path, sums):
    """Reads a dBASE table's numbers straight from its bytes: (live records, [sum, ...])."""
    with open(path, 'rb') as f:
        head = f.read(32)
        records, header_length, record_length = struct.unpack('<IHH', head[4:12])
        f.seek(32)
        fields = {}
        offset = 1
        while True:
            d = f.read(32)
            if not d or d[0] == 0x0D:
                break
            name = d[:11].split(b'\0')[0].decode('ascii').upper()
            fields[name] = (offset, d[16])
            offset += d[16]
        f.seek(header_length)
        spots = [(fields[c.upper()], power) for c, power in sums]
        count = 0
        totals = [0.0] * len(sums)
        for _ in range(records):
            record = f.read(record_length)
            if len(record) < record_length or record[0] == 0x1A:
                break
            if record[0] == 0x2A:  # deleted
                continue
            count += 1
            for i, ((at, width), power) in enumerate(spots):
                text = record[at:at + width].strip()
                if text:
                    totals[i] += float(text) ** power
    return count, totals


def same(found, expected):
    """Whether a copy's row count and sums are those of the table (sums to 1e-9 of their size,
    as the tools add floating-point numbers in their own order)."""
    count, sums = found
    want_count, want_sums = expected
    return count == want_count and all(
        s is not None and math.isclose(float(s), w, rel_tol=1e-9, abs_tol=1e-6)
        for s, w in zip(sums, want_sums))


def check(name, found, expected):
    if not same(found, expected):
        sys.exit(f'{name}: the copy holds {found[0]} rows with the sums {found[1]}; the table has '
                 f'{expected[0]} records with the sums {expected[1]}')


def text_sums(lines, columns, sums, decimal=','):
    """Row count and sums of tab-separated value lines whose columns are named `columns`."""
    index = {c.upper(): i for i, c in enumerate(columns)}
    spots = [(index[c.upper()], power) for c, power in sums]
    count = 0
    totals = [0.0] * len(sums)
    for line in lines:
        values = line.rstrip('\n').split('\t')
        count += 1
        for i, (at, power) in enumerate(spots):
            text = values[at]
            if text and text != '\\N':
                totals[i] += float(text.replace(decimal, '.')) ** power
    return count, totals


def dbfview_sums(path, sums):
    """dbfview's output: a title line, a line per field, the names, then one line per record."""
    with open(path, encoding='utf-8', errors='replace') as f:
        fields = int(re.search(r'(\d+) fields$', f.readline().rstrip('\n')).group(1))
        for _ in range(fields):
            f.readline()
        columns = f.readline().rstrip('\n').split('\t')
        return text_sums(f, columns, sums)


def pgdbf_sums(path, sums):
    """pgdbf's output: the table's definition, then its rows between \\COPY and \\."""
    with open(path, encoding='utf-8', errors='replace') as f:
        columns = None
        for line in f:
            found = re.match(r'CREATE TABLE \S+ \((.*)\);', line)
            if found:
                columns = [c.strip().split()[0] for c in
                           re.sub(r'\([^)]*\)', '', found.group(1)).split(',')]
            if line.startswith('\\COPY'):
                break
        return text_sums(itertools.takewhile(lambda r: r != '\\.\n', f), columns, sums,
                         decimal='.')


def sqlite_sums(path, workload):
    with sqlite3.connect(path) as db:
        found = db.execute(f'select count(*), {workload.sql_sums()} from target').fetchone()
    db.close()
    return found[0], list(found[1:])


class Engine:
    """The embedded engine's database for the imports, with copies to start each run from."""

    def __init__(self, build, work, ddl):
        self.home = os.path.join(work, 'ocilite')
        self.build = build
        self.env = dict(os.environ, OCILITE_HOME=self.home, LC_ALL='C')
        self.env.pop('NLS_LANG', None)
        self.env.pop('NLS_DATE_FORMAT', None)
        self.db = os.path.join(self.home, DATABASE + '.db')
        self.empty = os.path.join(work, 'empty.db')
        shutil.rmtree(self.home, ignore_errors=True)
        os.makedirs(self.home)
        ocisql = os.path.join(build, 'ocilite', 'ocisql')
        run([ocisql, '--create', DATABASE, '--system-password', 'manager'], env=self.env)
        run([ocisql, f'system/manager@{DATABASE}', '-c', 'create user bench identified by bench',
             '-c', 'grant connect, resource to bench'], env=self.env)
        for script in ddl:
            run([ocisql, f'bench/bench@{DATABASE}', script], env=self.env)
        self.save(self.empty)

    def restore(self, snapshot):
        for suffix in ('-wal', '-shm'):
            if os.path.exists(self.db + suffix):
                os.remove(self.db + suffix)
        shutil.copyfile(snapshot, self.db)

    def save(self, snapshot):
        if os.path.exists(self.db + '-wal'):
            sys.exit('the engine left a write-ahead log: the database copy would be incomplete')
        shutil.copyfile(self.db, snapshot)

    def sums(self, workload):
        """Row count and sums of the import's copy, asked of the engine as a client would."""
        text = run([os.path.join(self.build, 'ocilite', 'ocisql'), f'bench/bench@{DATABASE}',
                    '-c', f'select to_char(count(*)), '
                    + ', '.join(f'to_char({s})' for s in workload.sql_sums().split(', '))
                    + f' from {workload.target}'], env=self.env).splitlines()
        values = text[text.index(next(t for t in text if t.startswith('---'))) + 1].split()
        return int(values[0]), [float(v) if v else None for v in values[1:]]

    def window_argv(self, workload):
        """The main window's import of the table, seek off, as a whole process."""
        return [os.path.join(self.build, 'bench', 'window_import_bench'), '--no-seek',
                f'bench/bench@{DATABASE}', workload.target, workload.links, workload.dbf,
                'OCIDLL=' + os.path.join(self.build, 'ocilite', 'libocilite.so')]

    def import_argv(self, workload, seek, log):
        argv = [os.path.join(self.build, 'app', 'quillmove-import'), '--source', workload.dbf,
                '--table', workload.target, '--links', workload.links, '--log', log,
                f'UserId=bench/bench@{DATABASE}',
                'OCIDLL=' + os.path.join(self.build, 'ocilite', 'libocilite.so')]
        if not seek:
            argv.insert(-2, '--no-seek')
        return argv


INSERTED = re.compile(r'inserted (\d+) record from (\d+) selected')


class Figure:
    """One measured program on one task: median seconds, records per second, peak memory."""

    def __init__(self, name, records, seconds, max_rss_kib=None, size=None):
        self.name = name
        self.seconds = seconds
        self.rate = records / seconds
        self.mib = max_rss_kib / 1024 if max_rss_kib is not None else None
        self.mb_per_s = size / seconds / 1e6 if size else None

    def cells(self):
        rate = f'{self.rate:,.0f}'
        if self.mb_per_s is not None:
            rate += f' ({self.mb_per_s:,.0f} MB/s)'
        memory = f'{self.mib:.0f}' if self.mib is not None else ''
        seconds = f'{self.seconds:.4g}' if self.seconds >= 1e-3 else f'{self.seconds:.6f}'
        return [self.name, seconds, rate, memory]


def row(records, task, ours, other=None, versus=None):
    """A table row: our figure (left empty when the row only adds another program beside the
    figure of the row above, `versus`), the other program's, and how many times as fast ours is
    (above 1: ours is faster)."""
    cells = [f'{records:,}' if records else '', task]
    cells += ours.cells() if ours else [''] * 4
    if other:
        times = other.seconds / (ours or versus).seconds
        cells += other.cells() + [f'{times:.2f}' if times >= 0.1 else f'{times:.3f}']
    else:
        cells += [''] * 5
    return '| ' + ' | '.join(cells) + ' |'


def reading(args, workload, n, rows, results):
    build = args.build
    table = workload.dbf[:-len('.dbf')]
    files = workload.files()
    size = sum(os.path.getsize(f) for f in files)
    # Under /usr/bin/time like the others: its own getrusage() would count this interpreter's
    # memory, which a child spawned from here inherits as its high-water mark.
    measured = timed([os.path.join(build, 'bench', 'read_source_bench'), '--passes', '5',
                      workload.dbf], capture=True)
    text = measured.stdout

    def number(pattern):
        return float(re.search(pattern, text, re.M).group(1))

    in_process = Figure('read_source_bench', n, number(r'^read \(median.*: ([\d.]+) s'),
                        measured.max_rss_kib, size)
    floor = Figure('plain read() of the bytes', n,
                   number(r'^plain read of the bytes.*: ([\d.]+) s'), None, size)
    rows.append(row(n, f'{workload.name}: read every value, in-process', in_process, floor))
    results[('read', workload.name)] = in_process
    results[('read processor', workload.name)] = number(r'records per processor second: (\d+)')

    memo = ['-m', workload.memo] if workload.memo else []
    commands = {
        'dbfview > /dev/null': [os.path.join(build, 'source', 'dbfview'), workload.dbf],
        'pgdbf > /dev/null': ['pgdbf', '-s', workload.encoding] + memo + [workload.dbf],
        'dbfread, values only': [PYTHON, os.path.join(HERE, 'dbfread_to_sqlite.py'),
                                 '--read-only', '--encoding', workload.encoding, workload.dbf],
        'cat > /dev/null': ['cat'] + files,
    }
    check_readers(args, workload, commands)
    runs = {name: [] for name in commands}
    for _ in range(repetitions(n, args.reps)):
        for name, argv in commands.items():
            runs[name].append(timed(argv))
    figures = {
        name: Figure(name, n, median(r, lambda x: x.seconds), median(r, lambda x: x.max_rss_kib),
                     size if name.startswith('cat') else None)
        for name, r in runs.items()
    }
    ours = figures.pop('dbfview > /dev/null')
    results[('dbfview', workload.name)] = ours
    results[('pgdbf', workload.name)] = figures['pgdbf > /dev/null']
    for i, other in enumerate(figures.values()):
        if i == 0:
            rows.append(row(None, 'read and print every value, whole process', ours, other))
        else:
            rows.append(row(None, '', None, other, versus=ours))


def check_readers(args, workload, commands):
    """What dbfview, pgdbf and dbfread make of the table, from runs of their own."""
    expected = workload.expected()
    with tempfile.TemporaryDirectory(dir=args.work) as scratch:
        for name, parse in (('dbfview > /dev/null', dbfview_sums),
                            ('pgdbf > /dev/null', pgdbf_sums)):
            out = os.path.join(scratch, 'out')
            with open(out, 'wb') as f:
                proc = subprocess.run(commands[name], stdout=f, stderr=subprocess.PIPE)
            if proc.returncode != 0:
                sys.exit(f'{name} failed: {proc.stderr.decode(errors="replace")}')
            check(f'{workload.name}: {name.split()[0]}', parse(out, workload.sums), expected)
    sum_columns = ','.join(f'{c}:{p}' for c, p in workload.sums)
    text = run(commands['dbfread, values only'] + ['--sums', sum_columns]).split()
    check(f'{workload.name}: dbfread', (int(text[0]), [float(t) for t in text[1:]]), expected)


# The main window's import, timed beside the batch program's on the same file.
WINDOW_CASE = 'through the main window, seek off, empty table'
SEEK_CASES = ('seek off, empty table', 'seek on, empty table', 'seek off, table holding the rows',
              'seek on, table holding the rows')


def importing(args, engine, workload, n, rows, results, seek_cases=SEEK_CASES):
    work = args.work
    log = os.path.join(work, 'import_errors.log')
    full = os.path.join(work, f'full{n}.db')
    ogr_out = os.path.join(work, 'ogr.sqlite')
    py_out = os.path.join(work, 'dbfread.sqlite')
    prepared_out = os.path.join(work, 'prepared.sqlite')
    seek_runs = n <= args.max_seek_records

    def ours(seek, start_from):
        def prepare():
            engine.restore(start_from())
        return prepare, engine.import_argv(workload, seek, log), engine.env

    def remove(path):
        return lambda: os.path.exists(path) and os.remove(path)

    cases = {name: ours(name.startswith('seek on'),
                        (lambda: engine.empty) if name.endswith('empty table') else lambda: full)
             for name in seek_cases if seek_runs or name.startswith('seek off')}
    window_env = dict(engine.env, QT_QPA_PLATFORM='offscreen')
    window_env.setdefault('XDG_RUNTIME_DIR', os.path.join(work, 'xdg'))
    os.makedirs(window_env['XDG_RUNTIME_DIR'], mode=0o700, exist_ok=True)
    cases[WINDOW_CASE] = (lambda: engine.restore(engine.empty), engine.window_argv(workload),
                          window_env)
    cases.update({
        'ogr2ogr into SQLite': (remove(ogr_out),
                                ['ogr2ogr', '-f', 'SQLite', ogr_out, workload.dbf, '-nln',
                                 'target'], None),
        'dbfread + sqlite3': (remove(py_out),
                              [PYTHON, os.path.join(HERE, 'dbfread_to_sqlite.py'), '--encoding',
                               workload.encoding, workload.dbf, py_out], None),
        'one prepared statement into SQLite': (remove(prepared_out),
                                               [os.path.join(args.build, 'bench',
                                                             'sqlite_prepared_copy'),
                                                workload.dbf, prepared_out], None),
    })
    copies = {'ogr2ogr into SQLite': ogr_out, 'dbfread + sqlite3': py_out,
              'one prepared statement into SQLite': prepared_out}
    expected = workload.expected()
    # The rows a table holds after each of our runs: the copy inserted again without the seek.
    doubled = (2 * expected[0], [2 * x for x in expected[1]])
    runs = {name: [] for name in cases}
    for rep in range(repetitions(n, args.reps)):
        for name, (prepare, argv, env) in cases.items():
            prepare()
            # The writes of the runs before are flushed first, so that no run pays for another's.
            os.sync()
            # The import exits with status 0 only when every record was stored or already there
            # (timed() stops on any other status); the log then holds nothing but the account.
            result = timed(argv, env=env, capture=True)
            runs[name].append(result)
            if rep == 0 and name == 'seek off, empty table':
                engine.save(full)
            if rep == 0 and name in copies:
                check(f'{workload.name}: {name}', sqlite_sums(copies[name], workload), expected)
            elif rep == 0:
                check(f'{workload.name}: import, {name}', engine.sums(workload),
                      doubled if name == 'seek off, table holding the rows' else expected)
    if os.path.exists(full):
        os.remove(full)

    def figure(name, program):
        done = runs[name]
        return Figure(program, n, median(done, lambda r: r.seconds),
                      median(done, lambda r: r.max_rss_kib))

    peers = [figure(name, name) for name in copies]
    results[('ogr2ogr', workload.name)] = peers[0]
    results[('prepared', workload.name)] = peers[2]
    for name in cases:
        if name in copies:
            continue
        found = INSERTED.search(runs[name][0].stdout)
        if not found:
            sys.exit(f'{name}: no summary in the output:\n{runs[name][0].stdout}')
        task = f'import, {name}: {int(found.group(1)):,} inserted'
        if name == WINDOW_CASE:
            window_figure = figure(name, 'window_import_bench')
            results[('window', workload.name)] = window_figure
            rows.append(row(None, task, window_figure))
            continue
        ours_figure = figure(name, 'quillmove-import')
        results[('import', workload.name, name)] = ours_figure
        if name == 'seek off, empty table':
            rows.append(row(None, task, ours_figure, peers[0]))
            for other in peers[1:]:
                rows.append(row(None, '', None, other, versus=ours_figure))
        else:
            rows.append(row(None, task, ours_figure))
    if not seek_runs:
        rows.append(row(None, 'import, seek on: not run (above --max-seek-records)', None))


def previewing(args, workload, results):
    """The preview window opened offscreen on the table: medians of the repetitions."""
    env = dict(os.environ, QT_QPA_PLATFORM='offscreen')
    argv = [os.path.join(args.build, 'bench', 'preview_bench'), workload.dbf]
    first, memory, own = [], [], []
    for _ in range(3):
        text = run(argv, env=env)
        first.append(float(re.search(r'^first rows shown: ([\d.]+) s', text, re.M).group(1)))
        found = re.search(r'^peak memory: (\d+) KiB \(before opening the table: (\d+) KiB',
                          text, re.M)
        memory.append(int(found.group(1)) / 1024)
        own.append((int(found.group(1)) - int(found.group(2))) / 1024)
    results[('preview', workload.name)] = (statistics.median(first), statistics.median(memory),
                                           statistics.median(own))


def statements(args):
    text = run([os.path.join(args.build, 'bench', 'import_statements_bench'),
                '--benchmark_repetitions=5', '--benchmark_report_aggregates_only=true'])
    found = re.search(r'_median\s+([\d.]+) ns', text)
    return float(found.group(1)) / 1000 if found else None


def goals(results, generated, real, peak_mib):
    """The table of the goals: each task, ours, the other side, the ratio and the goal."""
    lines = ['| task | ours | peer | ratio | goal | met |', '|---|---|---|---:|---|---|']

    def add(task, ours, peer, ratio, goal, met):
        lines.append(f'| {task} | {ours} | {peer} | {ratio} | {goal} | '
                     f'{"yes" if met else "no" if met is not None else "—"} |')

    def speed(task, ours_key, peer_key, peer_name, goal):
        ours, peer = results.get(ours_key), results.get(peer_key)
        if not ours or not peer:
            add(task, 'not run', '', '', f'≥ {goal}', None)
            return
        ratio = peer.seconds / ours.seconds
        add(task, f'{ours.seconds:.3g} s', f'{peer_name} {peer.seconds:.3g} s', f'{ratio:.2f}',
            f'≥ {goal}', ratio >= goal)

    big = f'{generated[0]:,} generated records' if generated else None
    g = generated[1] if generated else None
    seek_off = ('import', g, 'seek off, empty table')
    speed(f'import, seek off, {big}, vs ogr2ogr -f SQLite', seek_off, ('ogr2ogr', g), 'ogr2ogr',
          1.25)
    if real:
        speed(f'import, seek off, {real}, vs ogr2ogr', ('import', real, 'seek off, empty table'),
              ('ogr2ogr', real), 'ogr2ogr', 1.25)
    ours, floor = results.get(seek_off), results.get(('prepared', g))
    if ours and floor:
        share = floor.seconds / ours.seconds
        add(f'whole import vs one prepared statement into SQLite in one transaction, {big}',
            f'{ours.seconds:.3g} s', f'sqlite_prepared_copy {floor.seconds:.3g} s',
            f'{share:.0%}', '≥ 45 %', share >= 0.45)
    for holding in ('empty table', 'table holding the rows'):
        sizes = [k[1] for k in results if k[0] == 'import' and k[2] == f'seek on, {holding}']
        if not sizes:
            add(f'seek on ÷ seek off per record, {holding}', 'not run', '', '', '≥ 50 %', None)
            continue
        name = sizes[-1]
        on = results[('import', name, f'seek on, {holding}')]
        off = results[('import', name, f'seek off, {holding}')]
        share = off.seconds / on.seconds
        add(f'seek on ÷ seek off per record, {holding}, {name}', f'{on.seconds:.3g} s (on)',
            f'{off.seconds:.3g} s (off)', f'{share:.0%}', '≥ 50 %', share >= 0.5)
    speed(f'dbfview FILE > /dev/null vs pgdbf FILE > /dev/null, {big}', ('dbfview', g),
          ('pgdbf', g), 'pgdbf', 1.5)
    if real:
        speed(f'dbfview FILE > /dev/null vs pgdbf FILE > /dev/null, {real}', ('dbfview', real),
              ('pgdbf', real), 'pgdbf', 1.5)
    reader = results.get(('read', g))
    if reader:
        # The rate per processor second beside it: on a shared machine, the quiet machine's rate.
        add(f'reading every value in-process as the import does, ten fields, {big}',
            f'{reader.rate / 1e6:.2f} M records/s '
            f'({results[("read processor", g)] / 1e6:.2f} M per processor second)', '', '',
            '≥ 3 M records/s', reader.rate >= 3e6)
    window, batch = results.get(('window', g)), results.get(seek_off)
    if window and batch:
        share = batch.seconds / window.seconds
        add(f"the window's import vs the batch program on the same file, seek off, {big}",
            f'{window.seconds:.3g} s (window, {window.mib:.0f} MiB)',
            f'quillmove-import {batch.seconds:.3g} s', f'{share:.0%}', '≥ 80 %', share >= 0.8)
    else:
        add("the window's import vs the batch program on the same file", 'not run', '', '',
            '≥ 80 %', None)
    add('peak memory of any import or read (ours)', f'{peak_mib:.0f} MiB', '', '', '≤ 16 MiB',
        peak_mib <= 16)
    preview = results.get(('preview', g))
    if preview:
        add(f'opening the preview, {big}: first rows shown', f'{preview[0]:.3f} s', '', '', '—',
            None)
        add(f'opening the preview, {big}: peak memory (of it the table and grid)',
            f'{preview[1]:.0f} MiB ({preview[2]:.0f} MiB)', '', '', '—', None)
    return lines


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--build', required=True)
    parser.add_argument('--workloads', required=True)
    parser.add_argument('--work', required=True)
    parser.add_argument('--sizes', nargs='+', type=int, default=[10_000, 100_000, 1_000_000])
    parser.add_argument('--max-seek-records', type=int, default=10**9,
                        help='leave out the "seek on" imports of larger tables')
    parser.add_argument('--reps', type=int, default=0,
                        help='repetitions of each whole-process run (default: by size, 5 to 3)')
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)
    started = time.perf_counter()

    rows = [
        '| records | task | ours | median s | records/s | peak MiB | beside it | median s | '
        'records/s | peak MiB | ours ÷ it (speed) |',
        '|---:|---|---|---:|---:|---:|---|---:|---:|---:|---:|',
    ]
    real_dbf = os.path.join(args.workloads, 'lines.dbf')
    ddl = [os.path.join(args.workloads, 'target.sql')]
    real = None
    if os.path.exists(real_dbf):
        links = os.path.join(args.work, 'lines.ini')
        with open(links, 'w', encoding='cp1251', newline='\r\n') as f:
            f.write('[Rows]\nRow1=UPAREA,NUMBER,1,upArea,,\n')
        lines_sql = os.path.join(args.work, 'lines.sql')
        with open(lines_sql, 'w') as f:
            f.write('create table lines_target (uparea number(24,15));\n')
        ddl.append(lines_sql)
        real = Workload('lines.dbf', real_dbf, None, links, 'lines_target',
                        [('UPAREA', 1), ('UPAREA', 2)])
    engine = Engine(args.build, args.work, ddl)
    results = {}
    workloads = []
    for n in args.sizes:
        table = os.path.join(args.workloads, f't{n}')
        workloads.append((n, Workload(f't{n}', table + '.dbf', table + '.dbt', table + '.ini',
                                      'target', [('ID', 1), ('PRICE', 1)])))
    if real:
        workloads.append((real.expected()[0], real))
    for n, workload in workloads:
        print(f'bench: {workload.name}, {n:,} records', file=sys.stderr, flush=True)
        reading(args, workload, n, rows, results)
        importing(args, engine, workload, n, rows, results,
                  SEEK_CASES[:1] if workload is real else SEEK_CASES)
    generated = max(((n, w.name) for n, w in workloads if w is not real), default=None)
    if generated:
        previewing(args, dict((w.name, w) for _, w in workloads)[generated[1]], results)
    per_record = statements(args)
    peak = max(f.mib for k, f in results.items()
               if k[0] in ('read', 'dbfview', 'import') and f.mib is not None)

    print('\n'.join(rows))
    if per_record is not None:
        print(f'\nThe import run\'s own work per record, without a database (ten links, both '
              f'statements built; import_statements_bench, median of 5): {per_record:.2f} µs.')
    reps = args.reps or ', '.join(str(repetitions(n, 0)) for n, _ in workloads)
    print(f'Whole processes: medians of {reps} round-robin runs for '
          f'{", ".join(w.name for _, w in workloads)}. In-process: medians of 5 passes. '
          f'Every copy checked by its row count and two sums.\n')
    print('\n'.join(goals(results, generated, real.name if real else None, peak)))
    print(f'\nTotal {time.perf_counter() - started:.0f} s.')


if __name__ == '__main__':
    main()
