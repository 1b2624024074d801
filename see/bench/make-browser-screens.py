#!/usr/bin/python3
"""Makes the benchmark's browser screens again: pages of /usr/share/doc as
this machine has them, and pages written here (links, a form with
placeholders and light hints, an invoice), drawn by headless Chromium
(Debian's `chromium`) at one pixel a CSS pixel into pictures/NAME.png.

The true text (pictures/NAME.txt) comes from Chromium's own layout of the same
page at the same size: a script added to a copy of the page finds the box of
every word on the screen, words whose boxes share a row make one line (the
cells of a table's row too), lines from top to bottom. Words that touch are
one word; placeholders of empty fields count as their text. The pages have
one column, so that order is the order a person reads them. A page that draws
differently on another machine (fonts, versions) needs its true text checked
again by eye.

Names of pictures, if given, limit the pictures made to them."""

import html
import os
import re
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "pictures")

# Finds the visual lines of the screen and writes them, one per line, into a
# hidden element at the end of the body, which --dump-dom then prints.
TRUTH_SCRIPT = r"""
<script>
window.addEventListener('load', () => {
  const W = innerWidth, H = innerHeight, words = [];
  const visible = (el) => {
    for (; el && el.nodeType === 1; el = el.parentElement) {
      const s = getComputedStyle(el);
      if (s.visibility === 'hidden' || s.display === 'none' || s.opacity === '0') return false;
    }
    return true;
  };
  const add = (text, r) => {
    if (r.width > 0 && r.height > 0 && r.bottom > 0 && r.right > 0 && r.top < H && r.left < W &&
        r.bottom <= H && r.right <= W)
      words.push({text, left: r.left, right: r.right, top: r.top, bottom: r.bottom});
  };
  const walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
  for (let n; (n = walker.nextNode());) {
    if (!visible(n.parentElement) || n.parentElement.closest('script,style,#mivo-truth')) continue;
    const t = n.textContent;
    for (let i = 0; i < t.length; ++i) {
      if (/\s/.test(t[i])) continue;
      const range = document.createRange();
      range.setStart(n, i); range.setEnd(n, i + 1);
      const rects = range.getClientRects();
      if (rects.length) add(t[i], rects[0]);
    }
  }
  for (const input of document.querySelectorAll('input[placeholder], textarea[placeholder]')) {
    if (input.value || !visible(input)) continue;
    const r = input.getBoundingClientRect(), s = getComputedStyle(input);
    const left = r.left + parseFloat(s.paddingLeft) + parseFloat(s.borderLeftWidth);
    const mid = (r.top + r.bottom) / 2, size = parseFloat(s.fontSize);
    add(input.placeholder, {left, right: left + 1, top: mid - size / 2, bottom: mid + size / 2,
                            width: 1, height: size});
  }
  for (const input of document.querySelectorAll('input[type=submit], input[type=button], input[value]:not([type=submit]):not([type=button])')) {
    if (!input.value || !visible(input) || input.type === 'hidden' || input.type === 'checkbox') continue;
    const r = input.getBoundingClientRect();
    add(input.value, r);
  }
  // Characters into words, words into rows.
  words.sort((a, b) => a.top - b.top || a.left - b.left);
  const rows = [];
  for (const w of words) {
    const h = w.bottom - w.top;
    let row = rows.find((r) => Math.min(r.bottom, w.bottom) - Math.max(r.top, w.top) > 0.5 * Math.min(h, r.bottom - r.top));
    if (!row) { row = {top: w.top, bottom: w.bottom, items: []}; rows.push(row); }
    row.top = Math.min(row.top, w.top); row.bottom = Math.max(row.bottom, w.bottom);
    row.items.push(w);
  }
  rows.sort((a, b) => a.top - b.top);
  const lines = rows.map((row) => {
    row.items.sort((a, b) => a.left - b.left);
    let line = '', last = null;
    for (const w of row.items) {
      const size = w.bottom - w.top;
      if (last && w.left - last.right > 0.12 * size) line += ' ';
      line += w.text; last = w;
    }
    return line;
  });
  const out = document.createElement('pre');
  out.id = 'mivo-truth'; out.style.display = 'none';
  out.textContent = '\n' + lines.join('\n') + '\n';
  document.body.appendChild(out);
});
</script>
"""

CHROMIUM = ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--hide-scrollbars",
            "--force-device-scale-factor=1", "--allow-file-access-from-files"]


def e(text):
    return html.escape(text)


def own_pages():
    """Pages written here: (name, width, height, html)."""
    links = """<style>
      body { font-family: 'DejaVu Sans'; font-size: 15px; margin: 28px 48px; color: #222; }
      h1 { font-size: 24px; margin-bottom: 14px; } h2 { font-size: 18px; margin: 18px 0 8px; }
      a { color: #1a0dab; } a:visited { color: #681da8; } li { margin: 4px 0; } p { margin: 6px 0; }
    </style>
    <h1>Documentation for system administrators</h1>
    <p>Start with the <a href='#'>Introduction</a>, then read the chapter on <a href='#'>Users and Groups</a>.</p>
    <p>The <a href='#'>Description</a> of each file format is kept with its <a href='#'>Reference pages</a>.</p>
    <h2>Contents</h2>
    <ul>
      <li><a href='#'>Installing packages from a local mirror</a></li>
      <li><a href='#'>Configuring the network</a> (wired and wireless)</li>
      <li><a href='#'>Backup and restore</a></li>
      <li><a href='#'>Printing</a></li>
      <li><a href='#'>Keeping restricted services apart</a> with <a href='#'>sandboxing</a></li>
      <li><a href='#'>Upgrading to the next release</a></li>
      <li><a href='#'>Frequently asked questions</a></li>
    </ul>
    <h2>See also</h2>
    <p><a href='#'>passwd(5)</a>, <a href='#'>group(5)</a>, <a href='#'>adduser.conf(5)</a> and
       <a href='#'>login.defs(5)</a>.</p>
    <p style='font-size: 13px'>Questions go to the <a href='#'>debian-user</a> mailing list; bugs to the
       <a href='#'>bug tracker</a>.</p>"""
    form = """<style>
      body { font-family: 'DejaVu Sans'; font-size: 15px; background: #ffffff; color: #222; }
      .card { width: 460px; margin: 36px auto; }
      h1 { font-size: 24px; margin: 0 0 6px; } .lead { color: #999; font-size: 14px; margin-bottom: 22px; }
      label { display: block; font-size: 14px; margin: 14px 0 5px; }
      input { width: 100%; box-sizing: border-box; font: 15px 'DejaVu Sans'; padding: 9px 11px;
              border: 1px solid #ccc; border-radius: 4px; }
      input::placeholder { color: #aaa; }
      .hint { color: #999; font-size: 12px; margin-top: 4px; }
      .small::placeholder { color: #a0a0a0; } .small { font-size: 13px; }
      button { margin-top: 22px; width: 100%; padding: 11px; font: bold 15px 'DejaVu Sans'; color: #fff;
               background: #2b6cb0; border: 0; border-radius: 4px; }
      .foot { color: #aaa; font-size: 11px; margin-top: 16px; }
    </style>
    <div class='card'>
      <h1>Create your account</h1>
      <div class='lead'>It takes a minute. No card needed.</div>
      <label>Name</label><input placeholder='Ann Berg'>
      <label>Email</label><input placeholder='you@example.org'>
      <div class='hint'>We send a link to confirm it.</div>
      <label>Password</label><input type='password' placeholder='At least 12 characters'>
      <div class='hint'>Use letters, digits and a sign such as ! or #.</div>
      <label>Invite code</label><input class='small' placeholder='Optional, e.g. SPRING-25'>
      <button>Sign up</button>
      <div class='foot'>Last edited 3 March 2025 by the web team</div>
    </div>"""
    rows = [("Hosting, March", "1", "24.00", "24.00"), ("Domain renewal example.org", "2", "12.50", "25.00"),
            ("Support hours", "6", "45.00", "270.00"), ("Backup storage 500 GB", "1", "9.90", "9.90"),
            ("Migration of the mail server", "1", "180.00", "180.00"), ("Travel costs", "1", "36.40", "36.40"),
            ("SSL certificate", "1", "0.00", "0.00")]
    table_rows = "".join(f"<tr><td>{e(a)}</td><td class=n>{b}</td><td class=n>{c}</td><td class=n>{d}</td></tr>"
                         for a, b, c, d in rows)
    invoice = f"""<style>
      body {{ font-family: 'Liberation Sans'; font-size: 15px; margin: 40px 60px; color: #1d1d1f; }}
      h1 {{ font-size: 26px; margin: 0 0 4px; }} .who {{ color: #555; margin-bottom: 26px; }}
      table {{ border-collapse: collapse; width: 760px; }}
      th {{ text-align: left; font-size: 13px; color: #666; border-bottom: 2px solid #333; padding: 6px 8px; }}
      td {{ padding: 8px 8px; border-bottom: 1px solid #ddd; }} .n {{ text-align: right; }}
      th.n {{ text-align: right; }}
      .total td {{ font-weight: bold; border-bottom: 0; }}
      .note {{ margin-top: 24px; color: #777; font-size: 13px; }}
    </style>
    <h1>Invoice 2025-0412</h1>
    <div class='who'>Berg IT Services, Kastanienallee 12, 10435 Berlin</div>
    <table><tr><th>Description</th><th class=n>Qty</th><th class=n>Unit price</th><th class=n>Amount</th></tr>
    {table_rows}
    <tr class='total'><td>Total due by 31 March 2025</td><td></td><td></td><td class=n>545.30</td></tr></table>
    <div class='note'>Please pay to IBAN DE44 1001 0010 0123 4567 89 and quote the invoice number.</div>"""
    return [("web-links-underlined", 1280, 800, links), ("web-signup-placeholders", 1280, 800, form),
            ("web-invoice-table", 1280, 800, invoice)]


DOC_PAGES = [
    ("doc-users-and-groups", "/usr/share/doc/base-passwd/users-and-groups.html", 1280, 900),
    ("doc-libffi-introduction", "/usr/share/doc/libffi8/html/Introduction.html", 1280, 800),
    ("doc-libffi-index", "/usr/share/doc/libffi8/html/index.html", 1280, 800),
    ("doc-xterm-faq", "/usr/share/doc/xterm/xterm.faq.html", 1280, 900),
    ("doc-libffi-the-basics", "/usr/share/doc/libffi8/html/The-Basics.html", 1280, 800),
]


def with_truth_script(page):
    """The page with the script before the end of its body, or at its end."""
    at = page.lower().rfind("</body>")
    return page + TRUTH_SCRIPT if at < 0 else page[:at] + TRUTH_SCRIPT + page[at:]


def draw(name, source_html, width, height, folder):
    """Writes pictures/NAME.png and NAME.txt for a page given as text."""
    plain = os.path.join(folder, name + ".html")
    scripted = os.path.join(folder, name + "-truth.html")
    with open(plain, "w", encoding="utf-8") as f:
        f.write(source_html)
    with open(scripted, "w", encoding="utf-8") as f:
        f.write(with_truth_script(source_html))
    size = f"--window-size={width},{height}"
    subprocess.run(CHROMIUM + [size, "--screenshot=" + os.path.join(OUT, name + ".png"), "file://" + plain],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    dom = subprocess.run(CHROMIUM + [size, "--virtual-time-budget=2000", "--dump-dom", "file://" + scripted],
                         check=True, capture_output=True, text=True).stdout
    found = re.search(r'<pre id="mivo-truth"[^>]*>(.*?)</pre>', dom, re.S)
    if not found:
        sys.exit(f"make-browser-screens: no true text for {name}")
    truth = [" ".join(l.split()) for l in html.unescape(found.group(1)).split("\n")]
    with open(os.path.join(OUT, name + ".txt"), "w", encoding="utf-8") as f:
        f.write("\n".join(l for l in truth if l) + "\n")
    print("made", name + ".png")


def main():
    wanted = set(sys.argv[1:])
    with tempfile.TemporaryDirectory() as folder:
        for name, width, height, body in own_pages():
            if not wanted or name in wanted:
                page = f"<!doctype html><meta charset='utf-8'><body>{body}</body>"
                draw(name, page, width, height, folder)
        for name, path, width, height in DOC_PAGES:
            if wanted and name not in wanted:
                continue
            with open(path, encoding="utf-8", errors="replace") as f:
                page = f.read()
            # Its style sheets and pictures from beside the original.
            base = f"<base href='file://{os.path.dirname(path)}/'>"
            draw(name, base + page, width, height, folder)


if __name__ == "__main__":
    main()
