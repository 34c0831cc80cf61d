#!/usr/bin/env python3
"""Runs our reading and import figures and those of the tools a user would pick instead, side by
side on the same generated tables, and prints one table of results (Markdown).

Whole-process runs go round-robin: every repetition runs each command once, in turn, so that a
change in the machine's load falls on all of them alike; the figure is the median. Peak memory is
the maximum resident set size that /usr/bin/time reports (as `-v` prints it).

The embedded engine's database lives in WORK/ocilite; an import into an empty table starts from a
copy of a database holding the empty target table, one into a table already holding the rows
from a copy taken after the first import of that size. Copies are made outside the timing.

Usage: run_comparison.py --build BUILD_DIR --workloads DIR --work DIR [--sizes N ...]
                         [--max-seek-records N] [--reps N]
"""
import argparse
import os
import re
import shutil
import sqlite3
import statistics
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
    return forced or max(1, min(5, 300_000 // records))


class Engine:
    """The embedded engine's database for the imports, with copies to start each run from."""

    def __init__(self, build, work, workloads):
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
        run([ocisql, f'bench/bench@{DATABASE}', os.path.join(workloads, 'target.sql')],
            env=self.env)
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

    def import_argv(self, table, seek, log):
        argv = [os.path.join(self.build, 'app', 'quillmove-import'), '--source', table + '.dbf',
                '--table', 'target', '--links', table + '.ini', '--log', log,
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


def reading(args, n, table, rows):
    build = args.build
    files = [table + '.dbf', table + '.dbt']
    size = sum(os.path.getsize(f) for f in files)
    # Under /usr/bin/time like the others: its own getrusage() would count this interpreter's
    # memory, which a child spawned from here inherits as its high-water mark.
    measured = timed([os.path.join(build, 'bench', 'read_source_bench'), '--passes', '5',
                      table + '.dbf'], capture=True)
    text = measured.stdout

    def number(pattern):
        return float(re.search(pattern, text, re.M).group(1))

    in_process = Figure('read_source_bench', n, number(r'^read \(median.*: ([\d.]+) s'),
                        measured.max_rss_kib, size)
    floor = Figure('plain read() of the bytes', n,
                   number(r'^plain read of the bytes.*: ([\d.]+) s'), None, size)
    rows.append(row(n, 'read every value, in-process', in_process, floor))

    commands = {
        'dbfview > /dev/null': [os.path.join(build, 'source', 'dbfview'), table + '.dbf'],
        'pgdbf > /dev/null': ['pgdbf', '-s', 'cp866', '-m', table + '.dbt', table + '.dbf'],
        'dbfread, values only': [PYTHON, os.path.join(HERE, 'dbfread_to_sqlite.py'),
                                 '--read-only', table + '.dbf'],
        'cat > /dev/null': ['cat'] + files,
    }
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
    for i, other in enumerate(figures.values()):
        if i == 0:
            rows.append(row(None, 'read and print every value, whole process', ours, other))
        else:
            rows.append(row(None, '', None, other, versus=ours))


def check_copy(name, path, records):
    """Stops when another tool's copy does not hold every record: its time would mean nothing."""
    with sqlite3.connect(path) as db:
        count = db.execute('select count(*) from target').fetchone()[0]
    db.close()
    if count != records:
        sys.exit(f'{name}: {count} rows copied of {records}')


def importing(args, engine, n, table, rows):
    work = args.work
    log = os.path.join(work, 'import_errors.log')
    full = os.path.join(work, f'full{n}.db')
    ogr_out = os.path.join(work, 'ogr.sqlite')
    py_out = os.path.join(work, 'dbfread.sqlite')
    seek_runs = n <= args.max_seek_records

    def ours(seek, start_from):
        def prepare():
            engine.restore(start_from())
        return prepare, engine.import_argv(table, seek, log), engine.env

    def remove(path):
        return lambda: os.path.exists(path) and os.remove(path)

    cases = {
        'seek off, empty table': ours(False, lambda: engine.empty),
        'seek on, empty table': ours(True, lambda: engine.empty),
        'seek off, table holding the rows': ours(False, lambda: full),
        'seek on, table holding the rows': ours(True, lambda: full),
        'ogr2ogr into SQLite': (remove(ogr_out),
                                ['ogr2ogr', '-f', 'SQLite', ogr_out, table + '.dbf', '-nln',
                                 'target'], None),
        'dbfread + sqlite3': (remove(py_out),
                              [PYTHON, os.path.join(HERE, 'dbfread_to_sqlite.py'),
                               table + '.dbf', py_out], None),
    }
    if not seek_runs:
        for name in [c for c in cases if c.startswith('seek on')]:
            del cases[name]
    copies = {'ogr2ogr into SQLite': ogr_out, 'dbfread + sqlite3': py_out}
    runs = {name: [] for name in cases}
    for rep in range(repetitions(n, args.reps)):
        for name, (prepare, argv, env) in cases.items():
            prepare()
            if os.path.exists(log):
                os.remove(log)
            result = timed(argv, env=env, capture=True)
            if os.path.exists(log):
                sys.exit(f'{name}: the import logged failed statements in {log}')
            runs[name].append(result)
            if rep == 0 and name == 'seek off, empty table':
                engine.save(full)
            if rep == 0 and name in copies:
                check_copy(name, copies[name], n)
    if os.path.exists(full):
        os.remove(full)

    def figure(name, program):
        results = runs[name]
        return Figure(program, n, median(results, lambda r: r.seconds),
                      median(results, lambda r: r.max_rss_kib))

    others = [figure(name, name) for name in ('ogr2ogr into SQLite', 'dbfread + sqlite3')]
    for name in cases:
        if name in ('ogr2ogr into SQLite', 'dbfread + sqlite3'):
            continue
        found = INSERTED.search(runs[name][0].stdout)
        if not found:
            sys.exit(f'{name}: no summary in the output:\n{runs[name][0].stdout}')
        task = f'import, {name}: {int(found.group(1)):,} inserted'
        ours_figure = figure(name, 'quillmove-import')
        if name == 'seek off, empty table':
            rows.append(row(None, task, ours_figure, others[0]))
            rows.append(row(None, '', None, others[1], versus=ours_figure))
        else:
            rows.append(row(None, task, ours_figure))
    if not seek_runs:
        rows.append(row(None, 'import, seek on: not run (above --max-seek-records)', None))


def statements(args):
    text = run([os.path.join(args.build, 'bench', 'import_statements_bench'),
                '--benchmark_repetitions=5', '--benchmark_report_aggregates_only=true'])
    found = re.search(r'_median\s+([\d.]+) ns', text)
    return float(found.group(1)) / 1000 if found else None


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--build', required=True)
    parser.add_argument('--workloads', required=True)
    parser.add_argument('--work', required=True)
    parser.add_argument('--sizes', nargs='+', type=int, default=[10_000, 100_000, 1_000_000])
    parser.add_argument('--max-seek-records', type=int, default=10**9,
                        help='leave out the "seek on" imports of larger tables')
    parser.add_argument('--reps', type=int, default=0,
                        help='repetitions of each whole-process run (default: by size, 5 to 1)')
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)
    started = time.perf_counter()

    rows = [
        '| records | task | ours | median s | records/s | peak MiB | beside it | median s | '
        'records/s | peak MiB | ours ÷ it (speed) |',
        '|---:|---|---|---:|---:|---:|---|---:|---:|---:|---:|',
    ]
    engine = Engine(args.build, args.work, args.workloads)
    for n in args.sizes:
        table = os.path.join(args.workloads, f't{n}')
        print(f'bench: {n:,} records', file=sys.stderr, flush=True)
        reading(args, n, table, rows)
        importing(args, engine, n, table, rows)
    per_record = statements(args)

    print('\n'.join(rows))
    if per_record is not None:
        print(f'\nThe import run\'s own work per record, without a database (ten links, both '
              f'statements built; import_statements_bench, median of 5): {per_record:.2f} µs.')
    reps = args.reps or ', '.join(str(repetitions(n, 0)) for n in args.sizes)
    print(f'Whole processes: medians of {reps} round-robin runs for '
          f'{", ".join(f"{n:,}" for n in args.sizes)} records. In-process: medians of 5 passes. '
          f'Total {time.perf_counter() - started:.0f} s.')


if __name__ == '__main__':
    main()
