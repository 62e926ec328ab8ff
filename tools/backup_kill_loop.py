#!/usr/bin/env python3
"""Kill loops over corvane-admin backup.

  backup_kill_loop.py ADMIN SUPPLIED_DATA_DIR pack ROUNDS
      each round marks a customer deleted, then runs a backup beside a pack, killing either
      (kill -9) at a random moment in some rounds;
  backup_kill_loop.py ADMIN SUPPLIED_DATA_DIR full ROUNDS
      the backups go to a small tmpfs (run as root, in a private mount namespace) that a filler
      file of random size leaves too small in some rounds; some backups are killed.

Every backup that exits 0 must restore to a set that check calls whole and that is the data
directory at one moment; after every failed or killed backup, the backup directory must still
restore to such a set. Prints the figures; exit status 1 on any violation.
"""
import hashlib
import os
import random
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

BACKUP_FILES = ["CUST5.dbf", "CUST5.dbt", "GROUPS.dbf", "INV5.dbf", "INV5.dbt", "ITM5.dbf",
                "LABELS.dbf", "PMT.dbf", "Pur5.dbf", "Prod5.dbf", "Prod5.dbt", "CVN1.dbf",
                "ImpDirs.dbf"]


def run(admin, cwd, *args):
    return subprocess.run([admin, *args], cwd=cwd, capture_output=True, text=True)


def moment(directory):
    digest = hashlib.md5()
    for name in BACKUP_FILES:
        with open(os.path.join(directory, name), "rb") as f:
            digest.update(name.encode() + hashlib.md5(f.read()).digest())
    return digest.hexdigest()


def mark_one_customer_deleted(directory, rng):
    path = os.path.join(directory, "CUST5.dbf")
    with open(path, "r+b") as f:
        head = f.read(12)
        count = struct.unpack("<I", head[4:8])[0]
        header, length = struct.unpack("<HH", head[8:12])
        if count == 0:
            return
        f.seek(header + rng.randrange(count) * length)
        f.write(b"*")


def restored_moment(admin, work, backup_dir, seed_dir):
    """Restores the backup into a fresh copy of the data; (moment, problem)."""
    target = os.path.join(work, "restored")
    shutil.rmtree(target, ignore_errors=True)
    shutil.copytree(seed_dir, target)
    r = run(admin, target, "restore", backup_dir)
    if r.returncode != 0:
        return None, "restore failed: " + (r.stderr + r.stdout).strip()[-400:]
    c = run(admin, target, "check")
    if c.returncode != 0:
        return None, "check after restore: " + c.stdout.strip()[-400:]
    return moment(target), None


def main():
    admin, supplied, mode, rounds = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
    rng = random.Random(int(os.environ.get("SEED", "27")))
    work = tempfile.mkdtemp(prefix="backup-kill-")
    data = os.path.join(work, "data")
    shutil.copytree(supplied, data)
    r = run(admin, data, "generate", "--customers", "600", "--invoices", "2500", "--seed", "27")
    assert r.returncode == 0, r.stderr
    seed = os.path.join(work, "seed")
    shutil.copytree(data, seed)
    backup = os.path.join(work, "backup")
    os.mkdir(backup)
    if mode == "full":
        size = sum(os.path.getsize(os.path.join(data, n)) for n in BACKUP_FILES)
        subprocess.run(["mount", "-t", "tmpfs", "-o", "size=%dk" % (size * 5 // 2 // 1024),
                        "tmpfs", backup], check=True)
    moments = {moment(data)}
    r = run(admin, data, "backup", backup)
    assert r.returncode == 0, r.stdout + r.stderr
    figures = dict(rounds=0, exit0=0, failed=0, killed=0, full=0, restored_ok=0, violations=0)
    for _ in range(rounds):
        figures["rounds"] += 1
        mark_one_customer_deleted(data, rng)
        moments.add(moment(data))
        filler = os.path.join(backup, "filler")
        if mode == "full":
            free = shutil.disk_usage(backup).free
            if os.path.exists(filler):
                os.remove(filler)
                free = shutil.disk_usage(backup).free
            with open(filler, "wb") as f:
                f.write(b"\0" * rng.randrange(0, max(1, free - 4096)))
        pack = None
        if mode == "pack":
            pack = subprocess.Popen([admin, "pack"], cwd=data, stdout=subprocess.DEVNULL,
                                    stderr=subprocess.DEVNULL)
            time.sleep(rng.uniform(0, 0.3))
        b = subprocess.Popen([admin, "backup", backup], cwd=data, stdout=subprocess.PIPE,
                             stderr=subprocess.STDOUT, text=True)
        victim = rng.choice([None, None, "backup", "pack"] if pack else [None, "backup"])
        if victim:
            time.sleep(rng.uniform(0, 0.8))
            target = b if victim == "backup" else pack
            if target.poll() is None:
                target.send_signal(signal.SIGKILL)
                figures["killed"] += 1
        out, _ = b.communicate()
        if pack:
            pack.wait()
        # The data at rest after this round: whatever a command that writes makes of it.
        run(admin, data, "reindex")
        moments.add(moment(data))
        if "disk is full" in out:
            figures["full"] += 1
        if b.returncode == 0:
            figures["exit0"] += 1
        else:
            figures["failed"] += 1
        got, problem = restored_moment(admin, work, backup, seed)
        if problem is None and got not in moments:
            problem = "the restored files are not the data of any one moment"
        if problem:
            figures["violations"] += 1
            print("violation (backup exit %d): %s\n%s" % (b.returncode, problem, out[-400:]))
        else:
            figures["restored_ok"] += 1
    if mode == "full":
        subprocess.run(["umount", backup])
    print(" ".join("%s=%d" % kv for kv in figures.items()))
    shutil.rmtree(work, ignore_errors=True)
    return 1 if figures["violations"] else 0


if __name__ == "__main__":
    sys.exit(main())
