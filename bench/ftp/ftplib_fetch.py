#!/usr/bin/python3
# bench_ftp's reference: ftplib over one login (cwd, one RETR each). Usage: PORT OUTDIR NAME...
import ftplib, os, sys, time

port, out, names = int(sys.argv[1]), sys.argv[2], sys.argv[3:]
start = time.perf_counter()
ftp = ftplib.FTP()
ftp.connect("127.0.0.1", port)
ftp.login("ftpuser", "kvtrmzn")
ftp.cwd("applog")
for name in names:
    with open(os.path.join(out, name), "wb") as f:
        ftp.retrbinary("RETR " + name, f.write, blocksize=65536)
days = time.perf_counter() - start
ftp.cwd("/")
with open(os.path.join(out, "big.bin"), "wb") as f:
    ftp.retrbinary("RETR big.bin", f.write, blocksize=1 << 20)
ftp.quit()
print("days %.6f big %.6f" % (days, time.perf_counter() - start - days))
