# Writes the tool bar strips 184.svg (normal) and 223.svg (disabled: the same
# drawings greyed and lighter) into the folder given, from the nine
# 22 by 22 drawings below, in tool bar order.
import re, sys
defs = '''  <defs>
    <linearGradient id="gold" x1="0" y1="10" x2="0" y2="20" gradientUnits="userSpaceOnUse">
      <stop offset="0" stop-color="#f8e45c"/>
      <stop offset="1" stop-color="#e5a50a"/>
    </linearGradient>
    <linearGradient id="paper" x1="0" y1="2" x2="0" y2="20" gradientUnits="userSpaceOnUse">
      <stop offset="0" stop-color="#ffffff"/>
      <stop offset="1" stop-color="#deddda"/>
    </linearGradient>
    <linearGradient id="box" x1="0" y1="10" x2="0" y2="20" gradientUnits="userSpaceOnUse">
      <stop offset="0" stop-color="#cdab8f"/>
      <stop offset="1" stop-color="#b5835a"/>
    </linearGradient>
    <linearGradient id="blue" x1="0" y1="2" x2="0" y2="20" gradientUnits="userSpaceOnUse">
      <stop offset="0" stop-color="#62a0ea"/>
      <stop offset="1" stop-color="#1c71d8"/>
    </linearGradient>
  </defs>
'''
padlock_body = '''    <rect x="4.5" y="10.5" width="13" height="9" rx="1.5" fill="url(#gold)" stroke="#946300"/>
    <circle cx="11" cy="14" r="1.5" fill="#63452c"/>
    <rect x="10.4" y="14" width="1.2" height="3" fill="#63452c"/>
'''
def shackle(d):
    return (f'    <path d="{d}" fill="none" stroke="#5e5c64" stroke-width="3"/>\n'
            f'    <path d="{d}" fill="none" stroke="#deddda" stroke-width="1.2"/>\n')
page = '''    <path d="M3.5 1.5H12.5L16.5 5.5V19.5H3.5Z" fill="url(#paper)" stroke="#77767b" stroke-linejoin="round"/>
    <path d="M12.5 1.5V5.5H16.5" fill="#deddda" stroke="#77767b" stroke-linejoin="round"/>
    <rect x="6" y="6" width="5" height="1" fill="#77767b"/>
    <rect x="6" y="9" width="8" height="1" fill="#9a9996"/>
    <rect x="6" y="12" width="6" height="1" fill="#9a9996"/>
    <circle cx="8" cy="16" r="2" fill="#e01b24" stroke="#a51d2d"/>
'''
box = '''    <rect x="2.5" y="10.5" width="14" height="9" rx="1" fill="url(#box)" stroke="#63452c"/>
    <rect x="1.5" y="7.5" width="16" height="4" rx="1" fill="#986a44" stroke="#63452c"/>
    <rect x="7" y="13.5" width="5" height="3" rx="0.5" fill="#f6d32d" stroke="#63452c"/>
'''
def arrow(d):
    return f'    <path d="{d}" fill="#3584e4" stroke="#1a5fb4" stroke-linejoin="round"/>\n'
def refresh():
    s = ''
    for arc, head in (("M4.89 8.78A6.5 6.5 0 0 1 15.98 6.82", "M18.04 9.27L18.28 4.89L13.68 8.75Z"),
                      ("M17.11 13.22A6.5 6.5 0 0 1 6.02 15.18", "M3.96 12.73L3.72 17.11L8.32 13.25Z")):
        s += f'    <path d="{arc}" fill="none" stroke="#1a5fb4" stroke-width="3.4"/>\n'
        s += f'    <path d="{head}" fill="#3584e4" stroke="#1a5fb4" stroke-linejoin="round"/>\n'
        s += f'    <path d="{arc}" fill="none" stroke="#3584e4" stroke-width="1.6"/>\n'
    return s
glyphs = [
    ("Login: an open padlock", shackle("M14.5 10.5V5.5A3.5 3.5 0 0 0 7.5 5.5V7") + padlock_body),
    ("Import: a certificate with an arrow in", page + arrow("M16.75 20.5L20.5 16.5H18.5V9.5H15V16.5H13Z")),
    ("Export: a certificate with an arrow out", page + arrow("M16.75 9L20.5 13H18.5V20.5H15V13H13Z")),
    ("Add to store: a certificate with a plus", page +
     '    <circle cx="16" cy="15.5" r="4.5" fill="#2ec27e" stroke="#1b7f4f"/>\n'
     '    <path d="M16 13V18M13.5 15.5H18.5" stroke="#ffffff" stroke-width="1.6"/>\n'),
    ("Set default: a container with a star", box +
     '    <path d="M15.50 1.00L16.73 4.30L20.26 4.45L17.50 6.65L18.44 10.05L15.50 8.10L12.56 10.05'
     'L13.50 6.65L10.74 4.45L14.27 4.30Z" fill="#f6d32d" stroke="#946300" stroke-linejoin="round"/>\n'),
    ("Delete container: a container with a cross", box +
     '    <circle cx="16" cy="15.5" r="4.5" fill="#e01b24" stroke="#a51d2d"/>\n'
     '    <path d="M14.2 13.7L17.8 17.3M17.8 13.7L14.2 17.3" stroke="#ffffff" stroke-width="1.5"/>\n'),
    ("Refresh: two turning arrows", refresh()),
    ("Help index: a question mark", 
     '    <circle cx="11" cy="11" r="8.5" fill="url(#blue)" stroke="#1a5fb4"/>\n'
     '    <path d="M8.3 8.6A2.8 2.8 0 1 1 12.4 11C11.5 11.5 11 12 11 13.2" fill="none" stroke="#ffffff"'
     ' stroke-width="2" stroke-linecap="round"/>\n'
     '    <circle cx="11" cy="16" r="1.2" fill="#ffffff"/>\n'),
    ("Logout: a closed padlock", shackle("M7.5 10.5V7A3.5 3.5 0 0 1 14.5 7V10.5") + padlock_body),
]
def strip(title):
    out = ['<svg xmlns="http://www.w3.org/2000/svg" width="198" height="22" viewBox="0 0 198 22">\n',
           f'  <!-- {title} -->\n', defs]
    for i, (name, body) in enumerate(glyphs):
        out.append(f'  <!-- {name} -->\n  <g transform="translate({22*i} 0)">\n{body}  </g>\n')
    out.append('</svg>\n')
    return ''.join(out)
normal = strip("tool bar images, 22 by 22 each")
def grey(m):
    h = m.group(1)
    r, g, b = int(h[0:2], 16), int(h[2:4], 16), int(h[4:6], 16)
    y = 0.299 * r + 0.587 * g + 0.114 * b
    v = round(110 + y * 0.5)  # greyed and lighter, less contrast
    return '#%02x%02x%02x' % (v, v, v)
disabled = re.sub(r'#([0-9a-f]{6})', grey, strip("tool bar images of disabled commands, 22 by 22 each"))
open(sys.argv[1] + '/184.svg', 'w').write(normal)
open(sys.argv[1] + '/223.svg', 'w').write(disabled)
