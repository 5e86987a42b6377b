#!/usr/bin/env python3
"""Writes the reference pages of the help file from the type library sources, so that
the reference lists exactly what scripts can call:
    make_reference.py <wrappers.idl> <mardel.idl> <member_notes.txt> <output folder>
member_notes.txt holds one line per member, "Interface.member: text" or "member: text"
(the second form for every interface that has the member); lines starting with # are
comments."""
import html, os, re, sys

MEMBER = re.compile(r'^\s*\[([^\]]*)\]\s*HRESULT\s+(\w+)\s*\((.*)\)\s*;\s*$')
INTERFACE = re.compile(r'^\s*interface\s+(\w+)\s*:\s*(\w+)\s*$')
COCLASS = re.compile(r'coclass\s+(\w+)')


def split_params(text):
    params, depth, current = [], 0, ''
    for ch in text:
        if ch == '[':
            depth += 1
        elif ch == ']':
            depth -= 1
        if ch == ',' and depth == 0:
            params.append(current.strip())
            current = ''
        else:
            current += ch
    if current.strip():
        params.append(current.strip())
    return params


def parse_param(text):
    m = re.match(r'\[([^\]]*)\]\s*(.+?)\s*(\**)\s*(\w+)$', text)
    attrs, ptype, stars, name = m.group(1), m.group(2), m.group(3), m.group(4)
    default = re.search(r'defaultvalue\(([^)]*)\)', attrs)
    return {
        'name': name, 'type': (ptype + stars).replace(' *', '*'),
        'retval': 'retval' in attrs, 'out': 'out' in attrs,
        'optional': 'optional' in attrs or default is not None,
        'default': default.group(1) if default else None,
    }


def parse_idl(path):
    interfaces, order, current, helpstring, coclasses = {}, [], None, None, []
    lines = open(path, encoding='utf-8').read().splitlines()
    pending_help = None
    for line in lines:
        h = re.search(r'helpstring\("([^"]*)"\)', line)
        if h and not MEMBER.match(line):
            pending_help = h.group(1)
        m = INTERFACE.match(line)
        if m:
            current = m.group(1)
            interfaces[current] = {'base': m.group(2), 'members': [], 'help': pending_help}
            order.append(current)
            continue
        if line.strip().startswith('}'):
            current = None
            continue
        c = COCLASS.search(line)
        if c:
            coclasses.append((c.group(1), pending_help))
        m = MEMBER.match(line)
        if m and current:
            attrs = m.group(1)
            kind = 'put' if 'propput' in attrs else 'get' if 'propget' in attrs else 'method'
            dispid = re.search(r'id\((-?\d+)\)', attrs).group(1)
            if 'restricted' in attrs or 'hidden' in attrs:
                continue
            params = [parse_param(p) for p in split_params(m.group(3))]
            interfaces[current]['members'].append({'name': m.group(2), 'kind': kind, 'dispid': dispid,
                                                   'params': params})
    return interfaces, order, coclasses


def load_notes(path):
    notes = {}
    for line in open(path, encoding='utf-8'):
        line = line.rstrip('\n')
        if not line.strip() or line.startswith('#'):
            continue
        key, _, text = line.partition(':')
        notes[key.strip()] = text.strip()
    return notes


def signature(member):
    params = [p for p in member['params'] if not p['retval']]
    result = [p for p in member['params'] if p['retval']]
    if member['kind'] == 'put':
        value = params[-1]
        params = params[:-1]
    shown = []
    for p in params:
        text = p['name']
        if p['default'] is not None:
            text += ' = ' + p['default']
        if p['optional']:
            text = '[' + text + ']'
        shown.append(text)
    args = '(' + ', '.join(shown) + ')' if shown else ''
    if member['kind'] == 'put':
        return member['name'] + args + ' = ' + value['name']
    if member['kind'] == 'get':
        return member['name'] + args + (' : ' + result[0]['type'].rstrip('*') if result else '')
    call = member['name'] + '(' + ', '.join(shown) + ')'
    return call + (' : ' + result[0]['type'].rstrip('*') if result else '')


def note_for(notes, interface, member):
    text = notes.get(interface + '.' + member['name'] + '.' + member['kind']) or \
        notes.get(interface + '.' + member['name']) or notes.get(member['name'] + '.' + member['kind']) or \
        notes.get(member['name'])
    if text:
        return text
    name = member['name']
    if interface == 'ITevrinAcc' and name.startswith('accIs'):
        words = re.sub(r'([A-Z])', r' \1', name[5:]).strip().lower()
        return ('True when the object, or its child named or numbered by wndID, has the state "' + words +
                '".')
    if interface == 'ITevrinAcc' and name.startswith('acc') and member['kind'] == 'get':
        words = re.sub(r'([A-Z])', r' \1', name[3:]).strip().lower()
        return ('The first accessible descendant with the role "' + words + '" whose name matches wndID '
                '(a text), or the one with that 0-based index among them (a number); depth first.')
    return ''


def anchor(interface, name=None):
    return interface if name is None else interface + '_' + name


def page(title, body):
    return ('<!DOCTYPE html PUBLIC "-//W3C//DTD HTML 4.01//EN">\n<html><head>\n'
            '<meta http-equiv="Content-Type" content="text/html; charset=utf-8">\n'
            '<title>' + html.escape(title) + '</title>\n<link rel="stylesheet" href="help.css" type="text/css">\n'
            '</head><body>\n' + body + '\n<p class="nav"><a href="Tevrin_about.htm">Contents</a></p>\n'
            '</body></html>\n')


KIND = {'get': 'property (read)', 'put': 'property (write)', 'method': 'method'}


def reference(interfaces, order, coclasses, notes, title, intro):
    out = ['<h1>' + html.escape(title) + '</h1>', intro]
    if coclasses:
        out.append('<h2>Classes</h2><ul>')
        for name, help_text in coclasses:
            out.append('<li><b>' + name + '</b>: ' + html.escape(notes.get('class.' + name, help_text or '')) + '</li>')
        out.append('</ul>')
    out.append('<h2>Interfaces</h2><ul>')
    for name in order:
        out.append('<li><a href="#' + anchor(name) + '">' + name + '</a> (derives from ' +
                   interfaces[name]['base'] + ')</li>')
    out.append('</ul>')
    for name in order:
        info = interfaces[name]
        out.append('<h2><a name="' + anchor(name) + '"></a>' + name + '</h2>')
        out.append('<p>' + html.escape(notes.get('interface.' + name, info['help'] or '')) + '</p>')
        if info['base'] not in ('IDispatch', 'IUnknown'):
            out.append('<p>Also has every member of <a href="#' + anchor(info['base']) + '">' + info['base'] +
                       '</a>.</p>')
        if not info['members']:
            out.append('<p>No members of its own.</p>')
            continue
        out.append('<table class="members"><tr><th>Member</th><th>Kind</th><th>DISPID</th><th>Description</th></tr>')
        for member in info['members']:
            out.append('<tr><td><a name="' + anchor(name, member['name'] + '_' + member['kind']) + '"></a><code>' +
                       html.escape(signature(member)) + '</code></td><td>' + KIND[member['kind']] + '</td><td>' +
                       member['dispid'] + '</td><td>' + html.escape(note_for(notes, name, member)) + '</td></tr>')
        out.append('</table>')
    return page(title, '\n'.join(out))


def main():
    wrappers_idl, mardel_idl, notes_path, out_dir = sys.argv[1:5]
    notes = load_notes(notes_path)
    interfaces, order, coclasses = parse_idl(wrappers_idl)
    intro = ('<p>The <code>wrappers</code> library (type library <code>WRAPPERSLib</code>, file wrappers.dll) '
             'drives the windows of the application under test. Create the root object with '
             '<code>CreateObject("Wrappers.WNDWrapper")</code>, bind it with <code>appExecute</code>, '
             '<code>appAttach</code> or <code>connect</code>, and reach child windows through the properties '
             'below. Every property that returns a child wrapper takes a window identifier <code>wndID</code> '
             '(a title, or a 0-based index among the windows of that class) and a class name; a title that '
             'begins with a backslash is a regular expression for the whole title. A failing member raises '
             'a run-time error whose source is "Runtime Error".</p>'
             '<p>Optional parameters are shown in brackets with their default values.</p>')
    open(os.path.join(out_dir, 'wrappers_reference.htm'), 'w', encoding='utf-8').write(
        reference(interfaces, order, coclasses, notes, 'wrappers reference', intro))
    interfaces, order, coclasses = parse_idl(mardel_idl)
    intro = ('<p>Every script run by Tevrin has the named item <code>Env</code> (type library '
             '<code>MardelLib</code>, ProgID <code>Mardel.Env</code>). Its log members write a record that '
             'carries the file and line of the calling statement; the record appears in the Results pane, '
             'or on standard output when the script runs from the command line.</p>')
    open(os.path.join(out_dir, 'env_reference.htm'), 'w', encoding='utf-8').write(
        reference(interfaces, order, coclasses, notes, 'Env reference', intro))


if __name__ == '__main__':
    main()
