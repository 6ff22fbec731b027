// Starts `panelhost serve` on a free loopback port for a test and stops it.
import { spawn } from 'node:child_process';
import { readFileSync } from 'node:fs';

export async function serve(panelhost, args, port = 0) {
  const child = spawn(panelhost, ['serve', ...args, '--port', String(port)], { stdio: ['ignore', 'pipe', 'pipe'] });
  let out = '';
  let err = '';
  child.stderr.on('data', (d) => { err += d; });
  const address = await new Promise((resolve, reject) => {
    const timer = setTimeout(() => reject(new Error(`no address printed; stderr: ${err}`)), 20000);
    child.stdout.on('data', (d) => {
      out += d;
      const found = out.match(/at (http:\/\/\S+?)\/? /);
      if (found) { clearTimeout(timer); resolve(found[1]); }
    });
    child.on('exit', (code) => reject(new Error(`panelhost exited ${code}: ${err}`)));
  });
  return {
    child,
    url: address,
    output: () => out,
    errors: () => err,
    rssKb: () => Number(readFileSync(`/proc/${child.pid}/status`, 'utf8').match(/VmRSS:\s+(\d+)/)[1]),
    async stop(signal = 'SIGINT') {
      const exited = new Promise((resolve) => child.on('exit', (code, sig) => resolve({ code, sig })));
      child.kill(signal);
      return exited;
    },
  };
}

export function check(condition, message) {
  if (!condition) throw new Error(message);
}
