#!/usr/bin/env bash
# Byte traces of a read, a write and the journals of the read against tripsim
# on three models: every byte tripconf-cli wrote to the unit's line and read
# from it (through strace), one line per direction change. Two builds whose
# traces are identical talk to the unit alike:
#   scripts/link-trace.sh build /tmp/before   (change the link, rebuild)
#   scripts/link-trace.sh build /tmp/after && diff -r /tmp/before /tmp/after
# (the write's output names its restore point by the time it was taken).
set -euo pipefail
build=$1; out=$2; mkdir -p "$out"
cli=$build/tools/cli/tripconf-cli; sim=$build/tools/sim/tripsim
extract() { # strace log -> "W hex" / "R hex" lines on the pty fd
  python3 - "$1" <<'PY'
import re,sys
fds=set(); outl=[]; last=None
for line in open(sys.argv[1]):
    m=re.match(r'\d+\s+openat\([^"]*"((?:\\x[0-9a-f]{2})*)".*= (\d+)$',line)
    if m:
        path=bytes.fromhex(m.group(1).replace('\\x','')).decode()
        if path.endswith('/tty'): fds.add(m.group(2))
        continue
    m=re.match(r'\d+\s+close\((\d+)\)',line)
    if m: fds.discard(m.group(1)); continue
    m=re.match(r'\d+\s+(read|write)\((\d+), "((?:\\x[0-9a-f]{2})*)".*= (\d+)$',line)
    if m and m.group(2) in fds:
        d='R' if m.group(1)=='read' else 'W'
        data=bytes.fromhex(m.group(3).replace('\\x',''))[:int(m.group(4))].hex()
        if d==last: outl[-1]+=data
        else: outl.append(d+' '+data)
        last=d
print('\n'.join(outl))
PY
}
for model in 0xC000 0x4010 0x8202; do
  w=$(mktemp -d)
  "$sim" --link "$w/tty" --model $model --memory "$w/mem.bin" >"$w/sim.out" 2>&1 & sp=$!
  for _ in $(seq 100); do [ -e "$w/tty" ] && break; sleep 0.05; done
  strace -f -qq -xx -s 65536 -e trace=openat,read,write,close -o "$w/r.log" "$cli" --english read --port "$w/tty" -o "$w/dev.qvetp" >"$out/$model.read.out" 2>&1 || echo "read rc $?" >>"$out/$model.read.out"
  extract "$w/r.log" >"$out/$model.read.trace"
  "$cli" --english journals "$w/dev.qvetp" >"$out/$model.journals.out" 2>&1 || true
  "$cli" set "$w/dev.qvetp" -o "$w/new.qvetp" --force corrections.speed=3.0 >/dev/null 2>&1 || cp "$w/dev.qvetp" "$w/new.qvetp"
  HOME=$w XDG_DATA_HOME=$w strace -f -qq -xx -s 65536 -e trace=openat,read,write,close -o "$w/w.log" "$cli" --english write --port "$w/tty" "$w/new.qvetp" >"$out/$model.write.out" 2>&1 || echo "write rc $?" >>"$out/$model.write.out"
  sed -i "s#$w#W#g" "$out/$model.write.out" "$out/$model.read.out"
  extract "$w/w.log" >"$out/$model.write.trace"
  kill $sp; wait $sp 2>/dev/null || true
  rm -rf "$w"
done
wc -l "$out"/*.trace
